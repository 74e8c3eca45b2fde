#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/music/music_logic.h"

using orvalis::ChooseMusic;
using orvalis::MciDevice;
using orvalis::MusicKind;
using orvalis::MusicPlayer;
using orvalis::SoundOutput;

namespace {

constexpr uint32_t kDeviceNotOpen = 266;
constexpr uint32_t kOutOfRange = 277;

// An MCI device driven by a script: each command gets the next queued answer, or the standing answer for it,
// or success with an empty reply. Every command is recorded in order.
class ScriptedMci final : public MciDevice {
public:
    struct Answer {
        uint32_t code = 0;
        std::string reply;
    };
    std::vector<std::string> sent;
    std::vector<uint32_t> replySizes;
    std::map<std::string, Answer> standing;
    std::map<std::string, std::deque<Answer>> queued;
    bool hasErrorText = true;

    uint32_t SendString(const std::string& command, char* reply, uint32_t replySize) override {
        sent.push_back(command);
        replySizes.push_back(replySize);
        Answer answer;
        if (auto q = queued.find(command); q != queued.end() && !q->second.empty()) {
            answer = q->second.front();
            q->second.pop_front();
        } else if (auto s = standing.find(command); s != standing.end()) {
            answer = s->second;
        }
        if (answer.code == 0 && reply != nullptr && replySize > 0) {
            std::strncpy(reply, answer.reply.c_str(), replySize - 1);
            reply[replySize - 1] = '\0';
        }
        return answer.code;
    }
    bool ErrorString(uint32_t code, char* text, uint32_t textSize) override {
        if (!hasErrorText) return false;
        std::snprintf(text, textSize, "mci error %u", code);
        return true;
    }
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(sent);
        replySizes.clear();
        return out;
    }
};

class RecordingSound final : public SoundOutput {
public:
    uint32_t devices = 2;
    std::vector<std::string> calls;
    uint32_t WaveDeviceCount() override { return devices; }
    void PlayLooping(const std::string& sound) override { calls.push_back("play:" + sound); }
    void StopAll() override { calls.push_back("stop"); }
};

using Commands = std::vector<std::string>;

// A disc of ten tracks in the drive, stopped at track 1.
void InsertDisc(ScriptedMci& mci) {
    mci.standing["status cdaudio current track"] = {0, "1"};
    mci.standing["status cdaudio number of tracks"] = {0, "10"};
    mci.standing["status cdaudio mode"] = {0, "stopped"};
    mci.standing["status cdaudio position track 3"] = {0, "03:00:00:00"};
}

}  // namespace

TEST(MciHelpers, RepliesErrorsAndTheEmptyCommand) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    std::string reply;

    EXPECT_EQ(player.SendMci("", reply), -1);
    EXPECT_EQ(reply, "コマンド文字列が指定されていません");
    EXPECT_TRUE(mci.sent.empty());

    mci.standing["status cdaudio mode"] = {0, "playing"};
    EXPECT_EQ(player.SendMci("status cdaudio mode", reply), 0);
    EXPECT_EQ(reply, "playing");
    EXPECT_EQ(mci.replySizes.back(), 512u);

    mci.standing["close cdaudio"] = {263, ""};
    EXPECT_EQ(player.SendMci("close cdaudio", reply), 263);
    EXPECT_EQ(reply, "mci error 263");
    mci.hasErrorText = false;
    EXPECT_EQ(player.SendMci("close cdaudio", reply), 263);
    EXPECT_EQ(reply, "Error (文字列が取れません)");

    EXPECT_EQ(player.QueryMci("close cdaudio"), "Error:263");
    EXPECT_EQ(player.QueryMci("status cdaudio mode"), "playing");
    EXPECT_EQ(player.mciReply, "playing");

    mci.Take();
    player.PlayMci("cdaudio", "03", "04");
    player.PlayMci("cdaudio", "", "04");
    EXPECT_EQ(mci.Take(), (Commands{"play cdaudio from 03 to 04", "play cdaudio to 04"}));
}

TEST(CdWatch, NoDiscSwitchesTheWatchOffWithoutPlaying) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    mci.standing["status cdaudio current track"] = {kDeviceNotOpen, ""};
    player.OpenCd();
    player.WatchCd(0);
    EXPECT_FALSE(player.cdWatchOn);
    EXPECT_EQ(mci.Take(),
              (Commands{"open cdaudio", "set cdaudio time format tmsf", "status cdaudio current track"}));

    // A track count that cannot be read ends it as well.
    ScriptedMci mci2;
    MusicPlayer player2(mci2, sound);
    InsertDisc(mci2);
    mci2.standing["status cdaudio number of tracks"] = {kDeviceNotOpen, ""};
    player2.WatchCd(0);
    EXPECT_FALSE(player2.cdWatchOn);
    EXPECT_EQ(mci2.Take(), (Commands{"status cdaudio current track", "status cdaudio number of tracks"}));
}

TEST(CdWatch, RepeatedTrackPlaysFromItsStartAndJumpsBackWhenTheNextBegins) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    InsertDisc(mci);
    player.WatchCd(3);
    EXPECT_TRUE(player.cdWatchOn);
    const Commands query = {"status cdaudio current track", "status cdaudio number of tracks",
                            "status cdaudio mode"};
    Commands expected = query;
    expected.push_back("status cdaudio position track 3");
    expected.push_back("play cdaudio from 03:00:00:00");
    EXPECT_EQ(mci.Take(), expected);

    // Track 3 playing: nothing to do.
    mci.standing["status cdaudio mode"] = {0, "playing"};
    mci.standing["status cdaudio current track"] = {0, "3"};
    player.WatchCd(3);
    EXPECT_EQ(mci.Take(), query);

    // Track 4 begins: back to the start of track 3.
    mci.standing["status cdaudio current track"] = {0, "4"};
    player.WatchCd(3);
    EXPECT_EQ(mci.Take(), expected);
    EXPECT_TRUE(player.cdWatchOn);
}

TEST(CdWatch, TrackBeyondTheDiscSendsAFailingPlayAndKeepsTrying) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    InsertDisc(mci);
    mci.standing["status cdaudio position track 12"] = {kOutOfRange, ""};
    mci.standing["play cdaudio from Error:277"] = {kOutOfRange, ""};
    for (int tick = 0; tick < 2; ++tick) {
        player.WatchCd(12);
        EXPECT_TRUE(player.cdWatchOn);
        const Commands sent = mci.Take();
        ASSERT_EQ(sent.size(), 5u);
        EXPECT_EQ(sent[3], "status cdaudio position track 12");
        EXPECT_EQ(sent[4], "play cdaudio from Error:277");
    }
}

TEST(CdWatch, WholeDiscPlaysOnWhenStopped) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    InsertDisc(mci);
    player.WatchCd(0);
    Commands sent = mci.Take();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3], "play cdaudio");

    mci.standing["status cdaudio mode"] = {0, "playing"};
    player.WatchCd(0);
    EXPECT_EQ(mci.Take().size(), 3u);
    EXPECT_TRUE(player.cdWatchOn);
}

TEST(CdWatch, FailedModeQueryKeepsTheLastReplyAndTheWatch) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    InsertDisc(mci);
    mci.standing["status cdaudio mode"] = {0, "playing"};
    player.WatchCd(0);
    mci.Take();
    // The mode query now fails: the buffer still says "playing", so nothing is restarted.
    mci.standing["status cdaudio mode"] = {kDeviceNotOpen, ""};
    player.WatchCd(0);
    EXPECT_EQ(mci.Take().size(), 3u);
    EXPECT_TRUE(player.cdWatchOn);
    EXPECT_EQ(mci.replySizes.size(), 0u);
}

TEST(CdWatch, CurrentTrackThatIsNotANumberEndsTheWatch) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    InsertDisc(mci);
    mci.standing["status cdaudio current track"] = {0, "abc"};
    player.WatchCd(3);
    EXPECT_FALSE(player.cdWatchOn);
    EXPECT_EQ(mci.Take().size(), 3u) << "no position query, no play";

    // Without a chosen track the number is never needed.
    player.WatchCd(0);
    EXPECT_TRUE(player.cdWatchOn);
}

TEST(CdWatch, StopSendsStopThenClose) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    player.StopCd();
    EXPECT_EQ(mci.Take(), (Commands{"stop cdaudio", "close cdaudio"}));
}

TEST(Mp3, OpensQuotedPathAndPlaysOnlyAfterASuccessfulOpen) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    player.StartMp3("C:\\My Music\\loop.Mp3");
    EXPECT_EQ(mci.Take(),
              (Commands{"open \"C:\\My Music\\loop.Mp3\" type MPEGVideo Alias MP3Play", "play MP3Play"}));
    EXPECT_EQ(mci.replySizes.size(), 0u);

    mci.standing["open \"C:\\gone.mp3\" type MPEGVideo Alias MP3Play"] = {275, ""};
    player.StartMp3("C:\\gone.mp3");
    EXPECT_EQ(mci.Take().size(), 1u);
}

TEST(Mp3, WatchRestartsFromTheBeginningOnceItIsNoLongerPlaying) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    mci.queued["status MP3Play mode"] = {{0, "playing"}, {0, "stopped"}};
    player.WatchMp3();
    EXPECT_EQ(mci.Take(), (Commands{"status MP3Play mode"}));
    player.WatchMp3();
    EXPECT_EQ(mci.Take(), (Commands{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));

    player.StopMp3();
    EXPECT_EQ(mci.Take(), (Commands{"stop MP3Play", "close MP3Play"}));
}

TEST(Mp3, StatusBufferIsThirtyCharactersAndSurvivesAFailedQuery) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    mci.queued["status MP3Play mode"] = {{0, "playing"}, {263, ""}};
    EXPECT_TRUE(player.IsMp3Playing());
    EXPECT_EQ(mci.replySizes.back(), 30u);
    EXPECT_TRUE(player.IsMp3Playing()) << "a failed query leaves the last reply";

    // A file that never opened: the status fails from the start, so the restart is tried every tick.
    ScriptedMci never;
    MusicPlayer fresh(never, sound);
    never.standing["status MP3Play mode"] = {263, ""};
    fresh.WatchMp3();
    EXPECT_EQ(never.Take().size(), 3u);
}

TEST(Wav, PlaysLoopingOnlyWithAWaveDeviceAndStops) {
    ScriptedMci mci;
    RecordingSound sound;
    MusicPlayer player(mci, sound);
    player.StartWav("C:\\tone.WAV");
    player.StopWav();
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"play:C:\\tone.WAV", "stop"}));
    sound.calls.clear();
    sound.devices = 0;
    player.StartWav("C:\\tone.wav");
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(mci.sent.empty());
}

TEST(ChooseMusic, BySourceAndUpperCasedEnding) {
    EXPECT_EQ(ChooseMusic(1, ""), MusicKind::Cd);
    EXPECT_EQ(ChooseMusic(1, "C:\\a.mp3"), MusicKind::Cd);
    EXPECT_EQ(ChooseMusic(2, "C:\\a.wav"), MusicKind::Wav);
    EXPECT_EQ(ChooseMusic(2, "C:\\a.WaV"), MusicKind::Wav);
    EXPECT_EQ(ChooseMusic(2, "C:\\My Music\\b.Mp3"), MusicKind::Mp3);
    EXPECT_EQ(ChooseMusic(2, "C:\\a.ogg"), MusicKind::None);
    EXPECT_EQ(ChooseMusic(2, "C:\\amp3.mid"), MusicKind::None);
    EXPECT_EQ(ChooseMusic(2, "wav"), MusicKind::Wav);
    EXPECT_EQ(ChooseMusic(2, "av"), MusicKind::None);
    EXPECT_EQ(ChooseMusic(0, "C:\\a.wav"), MusicKind::None);
    EXPECT_EQ(ChooseMusic(5, "C:\\a.mp3"), MusicKind::None);
}
