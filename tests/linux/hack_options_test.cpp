#include "linux/hack_options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <vector>

#include "renderer/scene/image_write.h"

namespace orvalis {
namespace {

HackOptionsResult Parse(std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> list(args);
    return ParseHackOptions(list);
}

TEST(HackOptionsTest, DefaultsAreAnEndlessRunAtSixtyFramesPerSecond) {
    const auto r = Parse({});
    EXPECT_TRUE(r.error.empty());
    EXPECT_FALSE(r.options.root);
    EXPECT_FALSE(r.options.windowId);
    EXPECT_EQ(r.options.delayMicroseconds, 16667);
    EXPECT_EQ(r.options.frames, 0);
    EXPECT_TRUE(r.options.savePath.empty());
}

TEST(HackOptionsTest, ReadsEveryOptionWithOneOrTwoDashes) {
    const auto r = Parse({"-root", "--delay", "20000", "-window-id", "0x1a00003", "--frames", "200", "-save",
                          "out/Frame.PNG"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_TRUE(r.options.root);
    EXPECT_EQ(r.options.windowId, 0x1a00003u);
    EXPECT_EQ(r.options.delayMicroseconds, 20000);
    EXPECT_EQ(r.options.frames, 200);
    EXPECT_EQ(r.options.savePath, "out/Frame.PNG");
    EXPECT_EQ(ImageFormatForPath(r.options.savePath), ImageFormat::kPng);
    EXPECT_EQ(Parse({"--window-id", "27262979"}).options.windowId, 27262979u);
    EXPECT_TRUE(Parse({"-window"}).error.empty()) << "XScreenSaver's request for an own window is accepted";
}

// XScreenSaver passes these to every display mode; they are taken without changing what the program does.
TEST(HackOptionsTest, XScreenSaverStandardOptionsAreAccepted) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"-fps"},
        {"--no-fps"},
        {"-install", "-root"},
        {"-noinstall", "-root"},
        {"-visual", "best", "-root"},
        {"--visual", "0x21", "-root"},
        {"-mono", "-root"},
        {"-pair", "-root"},
        {"-root", "-fps", "-no-fps", "-install", "-noinstall", "-visual", "default", "-mono", "-pair"},
    };
    for (const auto& args : cases) {
        const auto r = ParseHackOptions(args);
        EXPECT_TRUE(r.error.empty()) << args.front() << ": " << r.error;
        EXPECT_EQ(r.options.root, args.size() > 1) << args.front();
        EXPECT_EQ(r.options.delayMicroseconds, kDefaultDelayMicroseconds) << args.front();
        EXPECT_FALSE(r.options.windowId) << args.front();
        EXPECT_FALSE(r.options.addToXScreenSaver) << args.front();
    }
    // -visual takes exactly the next argument: what follows is read as usual.
    const auto r = Parse({"-visual", "truecolor", "-delay", "5"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.options.delayMicroseconds, 5);
    EXPECT_TRUE(Parse({"--add-to-xscreensaver"}).options.addToXScreenSaver);
}

TEST(HackOptionsTest, DelayBoundsAreInclusive) {
    EXPECT_EQ(Parse({"-delay", "0"}).options.delayMicroseconds, 0);
    EXPECT_EQ(Parse({"-delay", "10000000"}).options.delayMicroseconds, 10000000);
    EXPECT_FALSE(Parse({"-delay", "10000001"}).error.empty());
    EXPECT_FALSE(Parse({"-delay", "-1"}).error.empty());
    EXPECT_EQ(Parse({"--frames", "1"}).options.frames, 1);
    EXPECT_FALSE(Parse({"--frames", "0"}).error.empty());
    EXPECT_EQ(Parse({"--frames", "100000000"}).options.frames, 100000000);
    EXPECT_FALSE(Parse({"--frames", "100000001"}).error.empty());
}

TEST(HackOptionsTest, BadValuesNameTheOptionAndTheValue) {
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
        {{"-delay", "abc"}, "-delay: 'abc'"},
        {{"-delay", "12ms"}, "-delay: '12ms'"},
        {{"-delay", ""}, "-delay: ''"},
        {{"-delay", "99999999999999999999999"}, "-delay"},
        {{"-delay"}, "option -delay needs a value"},
        {{"-window-id", "0"}, "-window-id: '0'"},
        {{"-window-id", "0x"}, "-window-id: '0x'"},
        {{"-window-id", "0x100000000"}, "-window-id"},
        {{"-window-id", "12 "}, "-window-id"},
        {{"--frames", "2.5"}, "--frames: '2.5'"},
        {{"--frames", "3", "--save", "frame.jpg"}, "must name a .png or .ppm"},
        {{"--frames", "3", "--save", ".png"}, "must name a .png or .ppm"},
        {{"--save", "frame.png"}, "--save needs --frames"},
        {{"-fullscreen"}, "unknown option '-fullscreen'"},
        {{"-visual"}, "option -visual needs a value"},
        {{"-root", "--visual"}, "option --visual needs a value"},
        {{"-visual", ""}, "-visual: needs a visual"},
        {{"-pairs"}, "unknown option '-pairs'"},
        {{"frame.png"}, "unknown option 'frame.png'"},
    };
    for (const auto& [args, expected] : cases) {
        const auto r = ParseHackOptions(args);
        EXPECT_NE(r.error.find(expected), std::string::npos) << "error was: " << r.error;
    }
}

TEST(HackOptionsTest, WindowIdsInDecimalAndHex) {
    EXPECT_EQ(ParseWindowId("1"), 1u);
    EXPECT_EQ(ParseWindowId("0X2C"), 0x2Cu);
    EXPECT_EQ(ParseWindowId("0xffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseWindowId("4294967296"));
    EXPECT_FALSE(ParseWindowId("-5"));
    EXPECT_FALSE(ParseWindowId("+5"));
    EXPECT_FALSE(ParseWindowId("0x-5"));
    EXPECT_FALSE(ParseWindowId("1f"));
}

TEST(HackOptionsTest, PictureFormatByExtension) {
    EXPECT_EQ(ImageFormatForPath("a.ppm"), ImageFormat::kPpm);
    EXPECT_EQ(ImageFormatForPath("dir.png/a.PpM"), ImageFormat::kPpm);
    EXPECT_EQ(ImageFormatForPath("a.png.txt"), ImageFormat::kUnknown);
    EXPECT_EQ(ImageFormatForPath("dir/.png"), ImageFormat::kUnknown);
    EXPECT_EQ(ImageFormatForPath("png"), ImageFormat::kUnknown);
    EXPECT_EQ(ImageFormatForPath("a_png"), ImageFormat::kUnknown);
}

TEST(HackOptionsTest, DrawTargetPrecedence) {
    HackOptions o;
    EXPECT_EQ(ChooseDrawTarget(o, nullptr).kind, DrawTargetKind::kOwnWindow);
    EXPECT_EQ(ChooseDrawTarget(o, "").kind, DrawTargetKind::kOwnWindow);
    o.savePath = "a.png";
    EXPECT_EQ(ChooseDrawTarget(o, nullptr).kind, DrawTargetKind::kOffscreen);
    o.root = true;
    EXPECT_EQ(ChooseDrawTarget(o, nullptr).kind, DrawTargetKind::kRootWindow);
    // The daemon names its window in the environment and may still pass -root.
    DrawTarget t = ChooseDrawTarget(o, "0x400007");
    EXPECT_EQ(t.kind, DrawTargetKind::kGivenWindow);
    EXPECT_EQ(t.window, 0x400007u);
    o.windowId = 77;
    t = ChooseDrawTarget(o, "0x400007");
    EXPECT_EQ(t.kind, DrawTargetKind::kGivenWindow);
    EXPECT_EQ(t.window, 77u);
    o.windowId.reset();
    t = ChooseDrawTarget(o, "window");
    EXPECT_NE(t.error.find("XSCREENSAVER_WINDOW: 'window'"), std::string::npos) << t.error;
}

TEST(HackOptionsTest, FrameRateCapIsOneFramePerDelay) {
    EXPECT_DOUBLE_EQ(FrameRateCap(16667), 1e6 / 16667);
    EXPECT_DOUBLE_EQ(FrameRateCap(50000), 20.0);
    EXPECT_EQ(FrameRateCap(0), 0.0);
}

}  // namespace
}  // namespace orvalis
