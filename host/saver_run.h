// Decisions of the hidden saver screen window: what the end of the saver run undoes.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/music_logic.h"

namespace orvalis {

struct SaverEnd {
    bool stopCd = false;         // Timer2 off, StopCd
    bool stopWav = false;        // StopWav
    bool stopMp3 = false;        // Timer1 off, StopMp3
    bool restoreCursor = false;  // ShowCursor(savedCursorCount)
};

// The CD is stopped only while its watch still runs (timer2On): a watch that switched itself off
// has left the device alone. The cursor is given back only when the S switch hid it.
SaverEnd PlanSaverEnd(bool timer2On, MusicKind music, std::string_view commandLine);

// How long a renderer that is still starting gets to show its window.
constexpr int64_t kRendererStartGraceMs = 30000;

// Whether a watch tick that finds no renderer window ends the saver run: once the renderer has shown its
// window and it is gone, once the renderer process has ended (or never started), or when a renderer that
// still runs has not shown a window within the grace period. A renderer that is merely slow to start (a
// cold machine, a busy disk) is waited for, so the music and the watch do not stop before it shows.
bool SaverRunOver(bool windowSeen, bool rendererEnded, int64_t msSinceStart);

}  // namespace orvalis
