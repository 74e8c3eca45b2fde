#include "host/music/music_logic.h"

#include "host/settings/numeric_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace orvalis {
namespace {

const char kNoCommand[] = "コマンド文字列が指定されていません";
const char kNoErrorText[] = "Error (文字列が取れません)";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool HasErr(const std::string& reply) {
    return Upper(reply).find("ERR") != std::string::npos;
}

// The text up to the first NUL of a fixed buffer.
std::string BufferText(const char* buffer, size_t size) {
    size_t n = 0;
    while (n < size && buffer[n] != '\0') ++n;
    return std::string(buffer, n);
}

// A track number reply as a whole number (halves to even); nullopt when it is not one.
std::optional<long> TrackNumber(const std::string& text) {
    const std::optional<double> value = ReadNumericText(text);
    if (!value) return std::nullopt;
    const double rounded = std::nearbyint(*value);  // default rounding mode: halves to even
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<long>(rounded);
}

}  // namespace

int64_t MusicPlayer::SendMci(const std::string& command, std::string& reply) {
    if (command.empty()) {
        reply = kNoCommand;
        return -1;
    }
    char buffer[kReplySize] = {};
    const uint32_t code = mci_.SendString(command, buffer, kReplySize);
    if (code != 0) {
        char error[kErrorSize] = {};
        reply = mci_.ErrorString(code, error, kErrorSize) ? BufferText(error, kErrorSize) : kNoErrorText;
        return code;
    }
    reply = BufferText(buffer, kReplySize);
    return 0;
}

std::string MusicPlayer::QueryMci(const std::string& command) {
    const int64_t code = SendMci(command, mciReply);
    if (code != 0) return "Error:" + std::to_string(code);
    return mciReply;
}

int64_t MusicPlayer::PlayMci(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return SendMci(command, mciReply);
}

void MusicPlayer::OpenCd() {
    SendDirect("open cdaudio");
    SendDirect("set cdaudio time format tmsf");
}

void MusicPlayer::WatchCd(int bgmRepeat) {
    cdWatchOn = true;
    const std::string current = QueryMci("status cdaudio current track");
    if (HasErr(current)) {
        cdWatchOn = false;
        return;
    }
    const std::string tracks = QueryMci("status cdaudio number of tracks");
    if (HasErr(tracks)) {
        cdWatchOn = false;
        return;
    }
    mci_.SendString("status cdaudio mode", cdMode_, kCdModeSize);
    const bool stopped = BufferText(cdMode_, sizeof cdMode_).compare(0, 7, "stopped") == 0;

    if (bgmRepeat != 0) {
        // A current-track reply that is not a number ends the watch, as any unexpected error does.
        const std::optional<long> track = TrackNumber(current);
        if (!track) {
            cdWatchOn = false;
            return;
        }
        if (stopped || *track != bgmRepeat) {
            const std::string start = QueryMci("status cdaudio position track " + std::to_string(bgmRepeat));
            PlayMci("cdaudio", start, "");
        }
    } else if (stopped) {
        PlayMci("cdaudio", "", "");
    }
}

void MusicPlayer::StopCd() {
    SendDirect("stop cdaudio");
    SendDirect("close cdaudio");
}

void MusicPlayer::StartMp3(const std::string& bgmFile) {
    if (mci_.SendString("open \"" + bgmFile + "\" type MPEGVideo Alias MP3Play", nullptr, 0) == 0) {
        SendDirect("play MP3Play");
    }
}

bool MusicPlayer::IsMp3Playing() {
    mci_.SendString("status MP3Play mode", mp3Mode_, kMp3ModeSize);
    return BufferText(mp3Mode_, kMp3ModeSize).compare(0, 7, "playing") == 0;
}

void MusicPlayer::WatchMp3() {
    if (IsMp3Playing()) return;
    SendDirect("stop MP3Play");
    SendDirect("play MP3Play from 0");
}

void MusicPlayer::StopMp3() {
    SendDirect("stop MP3Play");
    SendDirect("close MP3Play");
}

void MusicPlayer::StartWav(const std::string& bgmFile) {
    if (sound_.WaveDeviceCount() > 0) sound_.PlayLooping(bgmFile);
}

void MusicPlayer::StopWav() {
    sound_.StopAll();
}

MusicKind ChooseMusic(int bgmKind, const std::string& bgmFile) {
    if (bgmKind == 1) return MusicKind::Cd;
    if (bgmKind != 2) return MusicKind::None;
    const std::string ending = Upper(bgmFile.size() >= 3 ? bgmFile.substr(bgmFile.size() - 3) : bgmFile);
    if (ending == "WAV") return MusicKind::Wav;
    if (ending == "MP3") return MusicKind::Mp3;
    return MusicKind::None;
}

}  // namespace orvalis
