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

bool SaverRunOver(const RendererWatch& watch) {
    if (watch.rendererEnded) return true;
    if (watch.renderWindowNow || watch.anyWindowNow) return false;
    return watch.renderWindowSeen || (!watch.anyWindowSeen && watch.msSinceStart >= kRendererStartGraceMs);
}

}  // namespace orvalis
