// The particle generator's random numbers: the classic linear congruential sequence, kept here so that
// every platform and C library produces the same cloud.
#pragma once

#include <cstdint>

namespace orvalis {

class LcgRandom {
public:
    static constexpr uint32_t kInitialState = 1;

    // The next value in 0 .. 32767.
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    uint32_t State() const { return state_; }
    void Reset(uint32_t state = kInitialState) { state_ = state; }

private:
    uint32_t state_ = kInitialState;
};

}  // namespace orvalis
