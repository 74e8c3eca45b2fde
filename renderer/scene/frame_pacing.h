// Frame pacing: the swap interval for a refresh rate, the frame-rate limit, and the pacer that waits for
// each frame's time.
#pragma once

namespace orvalis {

// The swap interval whose frame rate at this refresh rate is nearest to 60 frames per second (the speed the
// fixed per-frame steps are made for); ties go to the faster rate. An unknown rate (0 or 1) gives 1.
int SwapIntervalForRefresh(int refreshHz);

inline constexpr double kTargetFramesPerSecond = 60.0;

// The highest frame rate the loop lets through by waiting. Without a swap interval the loop paces to
// 60 frames per second itself; with one the display paces it, and the limit only catches drivers that take
// the interval but do not wait for the display (10 % above the rate the interval should give).
double FrameRateLimit(bool swapIntervalApplied, int swapInterval, int refreshHz);

// The system timer's tick, on which a wait ends when no high-resolution timer is at hand.
inline constexpr double kSystemTimerTickMs = 15.625;

// Paces frames by waiting: each frame is due one period after the one before, and a loop that fell behind by
// more than a period starts counting afresh instead of rushing to catch up. A wait on a timer with a coarse
// tick ends on a tick, up to a whole tick after the time asked; so the loop sleeps on the timer only for the
// part of the wait that ends a tick or more before the frame is due, and polls through the rest: every frame
// comes on time, none waits two ticks.
class FramePacer {
public:
    explicit FramePacer(double framesPerSecond, double timerTickMs = 0.0)
        : periodMs_(1000.0 / framesPerSecond), tickMs_(timerTickMs) {}
    // Milliseconds to wait at `nowMs` before the next frame may be drawn; 0 when it is due.
    double WaitMs(double nowMs) const;
    // Of that wait, the milliseconds the loop may sleep on its timer at `nowMs`; 0 when it must poll.
    double SleepMs(double nowMs) const;
    // A frame is being drawn at `nowMs`.
    void FrameStarted(double nowMs);
    double PeriodMs() const { return periodMs_; }

private:
    double periodMs_;
    double tickMs_;
    double dueMs_ = 0.0;
    bool started_ = false;
};

}  // namespace orvalis
