// Decisions of the hidden saver screen window: what the end of the saver run undoes.
#pragma once

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

}  // namespace orvalis
