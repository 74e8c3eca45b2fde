#include "host/saver_run.h"

#include "host/command_line.h"

namespace orvalis {

SaverEnd PlanSaverEnd(bool timer2On, MusicKind music, std::string_view commandLine) {
    SaverEnd end;
    end.stopCd = timer2On;
    end.stopWav = music == MusicKind::Wav;
    end.stopMp3 = music == MusicKind::Mp3;
    end.restoreCursor = ModeOf(commandLine) == HostMode::Saver;
    return end;
}

bool SaverRunOver(bool windowSeen, bool rendererEnded, int64_t msSinceStart) {
    return windowSeen || rendererEnded || msSinceStart >= kRendererStartGraceMs;
}

}  // namespace orvalis
