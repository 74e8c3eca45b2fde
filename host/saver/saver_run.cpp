#include "host/saver/saver_run.h"

#include "host/command_line.h"

namespace orvalis {

SaverEnd PlanSaverEnd(const SaverRunState& run) {
    SaverEnd end;
    end.stopCd = run.timer2On;
    end.stopWav = run.music == MusicKind::Wav;
    end.stopMp3 = run.music == MusicKind::Mp3;
    end.restoreCursor = ModeOf(run.commandLine) == HostMode::Saver;
    end.restoreDisplayMode = run.rendererStarted;
    end.removeTextureCopy = run.textureInTempFolder;
    return end;
}

bool SaverRunOver(bool windowSeen, bool rendererEnded, int64_t msSinceStart) {
    return windowSeen || rendererEnded || msSinceStart >= kRendererStartGraceMs;
}

}  // namespace orvalis
