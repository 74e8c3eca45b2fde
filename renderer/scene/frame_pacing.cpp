#include "renderer/scene/frame_pacing.h"

namespace orvalis {

int SwapIntervalForRefresh(int refreshHz) {
    if (refreshHz <= 1) return 1;
    int best = 1;
    double bestDistance = 1e300;
    for (int interval = 1; interval <= refreshHz; ++interval) {
        const double rate = static_cast<double>(refreshHz) / interval;
        const double distance =
            rate > kTargetFramesPerSecond ? rate - kTargetFramesPerSecond : kTargetFramesPerSecond - rate;
        if (distance < bestDistance) {
            best = interval;
            bestDistance = distance;
        }
        if (rate < kTargetFramesPerSecond) break;
    }
    return best;
}

double FrameRateLimit(bool swapIntervalApplied, int swapInterval, int refreshHz) {
    if (!swapIntervalApplied || swapInterval < 1) return kTargetFramesPerSecond;
    const double refresh = refreshHz > 1 ? static_cast<double>(refreshHz) : kTargetFramesPerSecond;
    return refresh / swapInterval * 1.1;
}

double FramePacer::WaitMs(double nowMs) const {
    if (!started_ || nowMs >= dueMs_) return 0.0;
    return dueMs_ - nowMs;
}

double FramePacer::SleepMs(double nowMs) const {
    const double wait = WaitMs(nowMs);
    return wait > tickMs_ ? wait - tickMs_ : 0.0;
}

void FramePacer::FrameStarted(double nowMs) {
    if (!started_ || nowMs - dueMs_ > periodMs_) dueMs_ = nowMs;
    dueMs_ += periodMs_;
    started_ = true;
}

}  // namespace orvalis
