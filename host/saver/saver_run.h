// Decisions of the hidden saver screen window: what the end of the saver run undoes.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/music/music_logic.h"

namespace orvalis {

// What the saver run knows when it ends.
struct SaverRunState {
    bool timer2On = false;
    MusicKind music = MusicKind::None;
    std::string_view commandLine;
    bool rendererStarted = false;      // the renderer's process was created
    bool textureInTempFolder = false;  // the texture went to the temporary folder, not the root of C:
};

struct SaverEnd {
    bool stopCd = false;              // Timer2 off, StopCd
    bool stopWav = false;             // StopWav
    bool stopMp3 = false;             // Timer1 off, StopMp3
    bool restoreCursor = false;       // ShowCursor(TRUE), undoing the S switch's ShowCursor(FALSE)
    bool restoreDisplayMode = false;  // back to the mode in the registry
    bool removeTextureCopy = false;   // delete the texture written to the temporary folder
};

// The CD is stopped only while its watch still runs (timer2On): a watch that switched itself off
// has left the device alone. The cursor is given back only when the S switch hid it.
// A renderer that was killed or crashed never gave the display mode back: the host does, which is
// harmless after a renderer that did. The copy in the temporary folder goes (once the renderer's process has
// ended, as it may still be about to read it), so that a later run whose write fails cannot hand the renderer
// a stale picture; the one at the root of drive C stays where it is.
SaverEnd PlanSaverEnd(const SaverRunState& run);

// How long a renderer that has shown no window at all gets to show one.
constexpr int64_t kRendererStartGraceMs = 30000;

// What a watch tick finds of the renderer.
struct RendererWatch {
    bool renderWindowNow = false;   // its "Orvalis_VC" window exists
    bool anyWindowNow = false;      // its process shows a visible top-level window (a question box counts)
    bool renderWindowSeen = false;  // "Orvalis_VC" has existed at this or an earlier tick
    bool anyWindowSeen = false;     // the process has shown a window at this or an earlier tick
    bool rendererEnded = false;     // its process has ended, or never started
    int64_t msSinceStart = 0;
};

// Whether a watch tick ends the saver run: once the renderer's process has ended, or once it shows no window
// any more after its "Orvalis_VC" window has been there. While the process shows any window (its display-mode
// question, however long the user takes over it) the run goes on; the grace period only ends the run of a
// renderer that has shown no window at all, so one that is merely slow to start (a cold machine, a busy disk)
// is waited for.
bool SaverRunOver(const RendererWatch& watch);

}  // namespace orvalis
