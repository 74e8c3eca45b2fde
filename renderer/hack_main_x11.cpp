// orvalis: the particle cloud as an X11 program and XScreenSaver display mode.
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "renderer/hack_options.h"
#include "renderer/hack_shell_x11.h"

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
    const orvalis::DrawTarget target =
        orvalis::ChooseDrawTarget(parsed.options, std::getenv("XSCREENSAVER_WINDOW"));
    if (!target.error.empty()) {
        std::fprintf(stderr, "orvalis: %s\n", target.error.c_str());
        return 2;
    }
    return orvalis::RunHack(parsed.options, target);
}
