// The Linux program's shell on Xlib and GLX: the drawable (a given window, the root window, a window of its
// own or an offscreen buffer), the GL context, swap interval and pacing, X events and signals, and the loop
// that draws the scene until the run ends.
#pragma once

#include "linux/hack_options.h"

namespace orvalis {

// Runs the cloud as the options and the chosen target say; returns the process exit code: 0 for a normal end
// (Escape, the window closed or gone, SIGTERM or SIGINT, the frames done), 1 when it cannot run.
int RunHack(const HackOptions& options, const DrawTarget& target);

}  // namespace orvalis
