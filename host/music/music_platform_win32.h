// The platform's MCI command strings and looping sound, behind the music player's interfaces.
#pragma once

#include "host/music/music_logic.h"

namespace orvalis {

class WinMciDevice final : public MciDevice {
public:
    uint32_t SendString(const std::string& command, char* reply, uint32_t replySize) override;
    bool ErrorString(uint32_t code, char* text, uint32_t textSize) override;
};

class WinSoundOutput final : public SoundOutput {
public:
    uint32_t WaveDeviceCount() override;
    void PlayLooping(const std::string& sound) override;
    void StopAll() override;
};

// The host's one music player, on the platform's devices.
MusicPlayer& TheMusicPlayer();

}  // namespace orvalis
