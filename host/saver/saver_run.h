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
// harmless after a renderer that did. The copy in the temporary folder goes, so that a later run whose
// write fails cannot hand the renderer a stale picture; the one at the root of drive C stays where it is.
SaverEnd PlanSaverEnd(const SaverRunState& run);

// How long a renderer that is still starting gets to show its window.
constexpr int64_t kRendererStartGraceMs = 30000;

// Whether a watch tick that finds no renderer window ends the saver run: once the renderer has shown its
// window and it is gone, once the renderer process has ended (or never started), or when a renderer that
// still runs has not shown a window within the grace period. A renderer that is merely slow to start (a
// cold machine, a busy disk) is waited for, so the music and the watch do not stop before it shows.
bool SaverRunOver(bool windowSeen, bool rendererEnded, int64_t msSinceStart);

}  // namespace orvalis
