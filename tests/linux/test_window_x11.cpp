// A plain X window for the tests of orvalis's window conventions, driven through standard input:
//   test_window X Y WIDTH HEIGHT      prints the window id (0x hex) once the window is mapped, then reads
//     size W H    resize the window          destroy    destroy the window
// and answers each command with "ok" once the server has done it. It ends at the end of its input.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: test_window X Y WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "test_window: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attrs{};
    attrs.background_pixel = BlackPixel(display, screen);
    attrs.override_redirect = True;  // placed exactly where asked, with or without a window manager
    attrs.event_mask = StructureNotifyMask;
    const Window window = XCreateWindow(
        display, RootWindow(display, screen), std::atoi(argv[1]), std::atoi(argv[2]),
        static_cast<unsigned>(std::atoi(argv[3])), static_cast<unsigned>(std::atoi(argv[4])), 0,
        CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask, &attrs);
    XStoreName(display, window, "orvalis test window");
    XMapWindow(display, window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    std::printf("0x%lx\n", static_cast<unsigned long>(window));
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "size") {
            unsigned width = 0, height = 0;
            words >> width >> height;
            XResizeWindow(display, window, width, height);
        } else if (command == "destroy") {
            XDestroyWindow(display, window);
        } else {
            continue;
        }
        XSync(display, False);
        std::printf("ok\n");
        std::fflush(stdout);
    }
    XCloseDisplay(display);
    return 0;
}
