// orvalis: the particle cloud as an X11 program and XScreenSaver display mode.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "linux/hack_options.h"
#include "linux/hack_shell_x11.h"
#include "linux/xscreensaver_file.h"

namespace {

// --add-to-xscreensaver: the person's own settings file, never root's on their behalf.
int AddToXScreenSaver() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        std::fputs("orvalis: HOME is not set, so there is no ~/.xscreensaver to add Orvalis to\n", stderr);
        return 1;
    }
    // NOTE: sudo may keep the person's HOME; a file root writes there would be root's, and the person's own
    // xscreensaver-settings could no longer save it.
    struct stat folder {};
    if (geteuid() == 0 && stat(home, &folder) == 0 && folder.st_uid != 0) {
        std::fprintf(
            stderr, "orvalis: %s is not root's: run --add-to-xscreensaver as yourself, without sudo\n", home);
        return 1;
    }
    std::string message;
    const int code = orvalis::AddOrvalisToXScreenSaver(std::filesystem::path(home) / ".xscreensaver",
                                                       orvalis::kXScreenSaverDefaults, message);
    std::fprintf(code == 0 ? stdout : stderr, "%s%s\n", code == 0 ? "" : "orvalis: ", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const orvalis::HackOptionsResult parsed = orvalis::ParseHackOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "orvalis: %s\n%s", parsed.error.c_str(), orvalis::HackUsage("orvalis").c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(orvalis::HackUsage("orvalis").c_str(), stdout);
        return 0;
    }
    if (parsed.options.addToXScreenSaver) return AddToXScreenSaver();
    const orvalis::DrawTarget target =
        orvalis::ChooseDrawTarget(parsed.options, std::getenv("XSCREENSAVER_WINDOW"));
    if (!target.error.empty()) {
        std::fprintf(stderr, "orvalis: %s\n", target.error.c_str());
        return 2;
    }
    return orvalis::RunHack(parsed.options, target);
}
