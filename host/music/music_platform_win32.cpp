#include "host/music/music_platform_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <mmsystem.h>

namespace orvalis {

uint32_t WinMciDevice::SendString(const std::string& command, char* reply, uint32_t replySize) {
    // No notification window: every command completes before it returns, or plays on in the background.
    return mciSendStringA(command.c_str(), reply, replySize, nullptr);
}

bool WinMciDevice::ErrorString(uint32_t code, char* text, uint32_t textSize) {
    return mciGetErrorStringA(code, text, textSize) != FALSE;
}

uint32_t WinSoundOutput::WaveDeviceCount() {
    return waveOutGetNumDevs();
}

void WinSoundOutput::PlayLooping(const std::string& sound) {
    // No file-name flag: the platform tries the text as a registered sound name first, then as a file.
    // SND_NODEFAULT: a file that vanished since the settings were read must leave the saver silent, not
    // loop the system's default sound for the whole run.
    PlaySoundA(sound.c_str(), nullptr, SND_ASYNC | SND_LOOP | SND_NODEFAULT);
}

void WinSoundOutput::StopAll() {
    PlaySoundA(nullptr, nullptr, 0);
}

MusicPlayer& TheMusicPlayer() {
    static WinMciDevice mci;
    static WinSoundOutput sound;
    static MusicPlayer player(mci, sound);
    return player;
}

}  // namespace orvalis
