// Background music: the audio CD and MP3 file through MCI command strings, the WAV file through the
// platform's looping sound. The rules live here; the platform calls sit behind two small interfaces so the
// command sequences can be replayed against a scripted device.
#pragma once

#include <cstdint>
#include <string>

namespace orvalis {

// The MCI string interface. A reply buffer of size 0 (null) asks for no reply. Returns the MCI error code,
// 0 for success; on failure the reply buffer is left as it was.
class MciDevice {
public:
    virtual ~MciDevice() = default;
    virtual uint32_t SendString(const std::string& command, char* reply, uint32_t replySize) = 0;
    // The platform's text for an error code; false when it has none.
    virtual bool ErrorString(uint32_t code, char* text, uint32_t textSize) = 0;
};

// Looping playback of a sound file.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual uint32_t WaveDeviceCount() = 0;
    // Asynchronous and looping, the file name given as the sound (the platform also tries it as a sound
    // name).
    virtual void PlayLooping(const std::string& sound) = 0;
    virtual void StopAll() = 0;
};

class MusicPlayer {
public:
    MusicPlayer(MciDevice& mci, SoundOutput& sound) : mci_(mci), sound_(sound) {}

    void OpenCd();
    // One step of the CD watch; afterwards the caller switches its CD timer to cdWatchOn.
    void WatchCd(int bgmRepeat);
    void StopCd();

    void StartMp3(const std::string& bgmFile);
    bool IsMp3Playing();
    void WatchMp3();
    void StopMp3();

    void StartWav(const std::string& bgmFile);
    void StopWav();

    // Sends a command and gives its reply or error text; -1 with a message for an empty command.
    int64_t SendMci(const std::string& command, std::string& reply);
    // The reply of a successful command, or "Error:" and the code.
    std::string QueryMci(const std::string& command);
    int64_t PlayMci(const std::string& device, const std::string& from, const std::string& to);

    bool cdWatchOn = false;
    std::string mciReply;

    static constexpr uint32_t kReplySize = 512;
    static constexpr uint32_t kErrorSize = 256;
    static constexpr uint32_t kCdModeSize = 255;
    static constexpr uint32_t kMp3ModeSize = 30;

private:
    void SendDirect(const std::string& command) { mci_.SendString(command, nullptr, 0); }

    MciDevice& mci_;
    SoundOutput& sound_;
    // These reply buffers keep their text between calls: a failed status query leaves the last reply.
    char cdMode_[256] = {};
    char mp3Mode_[kMp3ModeSize] = {};
};

// The music the saver plays for a choice of source and file: the ending is the upper-cased last three
// letters.
enum class MusicKind { None, Cd, Wav, Mp3 };
MusicKind ChooseMusic(int bgmKind, const std::string& bgmFile);

}  // namespace orvalis
