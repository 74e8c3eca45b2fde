#include "linux/hack_options.h"

#include <charconv>

#include "renderer/scene/image_write.h"

namespace orvalis {
namespace {

std::string_view OptionName(std::string_view arg) {
    if (arg.starts_with("--")) return arg.substr(2);
    if (arg.starts_with("-")) return arg.substr(1);
    return {};
}

// A whole decimal number in [minimum, maximum]; nothing before or after it.
std::optional<long> ParseBounded(std::string_view text, long minimum, long maximum) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<uint32_t> ParseWindowId(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end || value == 0 || value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

namespace {

// XScreenSaver's standard switches that do not apply to a true-colour GL program without a frame counter.
bool IsIgnoredSwitch(std::string_view name) {
    return name == "fps" || name == "no-fps" || name == "install" || name == "noinstall" || name == "mono" ||
           name == "pair";
}

bool TakesValue(std::string_view name) {
    return name == "window-id" || name == "delay" || name == "frames" || name == "save" || name == "visual";
}

// Takes the value of one valued option into `o`; the error text when the value is not one it takes.
std::optional<std::string> TakeValue(std::string_view name, std::string_view value, HackOptions& o) {
    if (name == "window-id") {
        o.windowId = ParseWindowId(value);
        if (!o.windowId)
            return "-window-id: '" + std::string(value) + "' is not a window id (decimal or 0x hex)";
    } else if (name == "delay") {
        const auto delay = ParseBounded(value, 0, kMaxDelayMicroseconds);
        if (!delay) {
            return "-delay: '" + std::string(value) + "' is not a number of microseconds from 0 to " +
                   std::to_string(kMaxDelayMicroseconds);
        }
        o.delayMicroseconds = static_cast<int>(*delay);
    } else if (name == "frames") {
        const auto frames = ParseBounded(value, 1, kMaxFrames);
        if (!frames) {
            return "--frames: '" + std::string(value) + "' is not a frame count from 1 to " +
                   std::to_string(kMaxFrames);
        }
        o.frames = *frames;
    } else if (name == "visual") {
        // Taken for the daemon's sake only: the program picks its GL visual itself.
        if (value.empty()) return std::string("-visual: needs a visual name or id");
    } else {
        if (ImageFormatForPath(value) == ImageFormat::kUnknown)
            return "--save: '" + std::string(value) + "' must name a .png or .ppm file";
        o.savePath = std::string(value);
    }
    return std::nullopt;
}

}  // namespace

HackOptionsResult ParseHackOptions(std::span<const std::string_view> args) {
    HackOptionsResult result;
    HackOptions& o = result.options;
    auto fail = [&](std::string text) {
        result.error = std::move(text);
        return result;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const std::string_view name = OptionName(arg);
        if (name == "root") {
            o.root = true;
        } else if (name == "window" || IsIgnoredSwitch(name)) {
            // -window is XScreenSaver's way of asking for a window of the program's own, the default here;
            // the other switches are taken so that the daemon's command lines run (see the usage text).
        } else if (name == "h" || name == "help") {
            o.help = true;
        } else if (name == "add-to-xscreensaver") {
            o.addToXScreenSaver = true;
        } else if (TakesValue(name)) {
            if (i + 1 >= args.size()) return fail("option " + std::string(arg) + " needs a value");
            if (auto error = TakeValue(name, args[++i], o)) return fail(std::move(*error));
        } else {
            return fail("unknown option '" + std::string(arg) + "'");
        }
    }
    if (!o.savePath.empty() && o.frames == 0) return fail("--save needs --frames N (the frame to save)");
    return result;
}

DrawTarget ChooseDrawTarget(const HackOptions& options, const char* saverWindowEnv) {
    DrawTarget target;
    if (options.windowId) {
        target.kind = DrawTargetKind::kGivenWindow;
        target.window = *options.windowId;
    } else if (saverWindowEnv != nullptr && *saverWindowEnv != '\0') {
        const auto window = ParseWindowId(saverWindowEnv);
        if (!window) {
            target.error = "XSCREENSAVER_WINDOW: '" + std::string(saverWindowEnv) + "' is not a window id";
            return target;
        }
        target.kind = DrawTargetKind::kGivenWindow;
        target.window = *window;
    } else if (options.root) {
        target.kind = DrawTargetKind::kRootWindow;
    } else if (!options.savePath.empty()) {
        target.kind = DrawTargetKind::kOffscreen;
    }
    return target;
}

double FrameRateCap(int delayMicroseconds) {
    return delayMicroseconds > 0 ? 1'000'000.0 / delayMicroseconds : 0.0;
}

std::string HackUsage(std::string_view program) {
    return "usage: " + std::string(program) +
           " [-root | -window-id ID] [-delay MICROSECONDS] [--frames N [--save FILE.png|FILE.ppm]]\n"
           "       " +
           std::string(program) +
           " --add-to-xscreensaver\n"
           "  Draws the Orvalis particle cloud: in the window named by $XSCREENSAVER_WINDOW or -window-id,\n"
           "  on the root window with -root, otherwise in a window of its own (Escape closes it).\n"
           "  -delay      microseconds between frames (default " +
           std::to_string(kDefaultDelayMicroseconds) +
           ")\n"
           "  --frames N  stop after N frames; with --save, write the last one (offscreen when no window is "
           "given)\n"
           "  --add-to-xscreensaver  add \"GL: orvalis --root\" to the display modes in ~/.xscreensaver "
           "(made\n"
           "              from XScreenSaver's defaults when absent) and end; nothing happens when it is "
           "listed\n"
           "  -fps, -no-fps, -install, -noinstall, -visual VISUAL, -mono, -pair: XScreenSaver's standard\n"
           "              options, accepted and without effect (full colour on a GL visual, no frame "
           "counter)\n";
}

}  // namespace orvalis
