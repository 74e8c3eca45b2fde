"""Background music of the real saver, heard through a private sound server: a WAV file loops while the saver
runs, an MP3 file restarts after its end, and both fall silent when the saver ends."""

import os
import shutil
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from dialog_support import (SERVER, install_saver, install_shared_saver, map_network_drive,  # noqa: E402
                            remove_shared_saver, run_reg, settings_file, unmap_network_drive)
from harness import main  # noqa: E402
from sound_support import SILENCE, SOUND, Recorder, SoundServer, make_tone  # noqa: E402

RENDERER_TITLE = "Orvalis_VC"


def run_saver_with(s, music_path, hold_seconds):
    """Runs /s with the given music file until `hold_seconds` after the renderer shows; returns the times
    (renderer shown, Escape pressed, host ended)."""
    folder, _ = install_saver(s, settings_file(b"2", b"0", music_path.encode("ascii")))
    s.install_texture()
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/s", name="host")
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host)
    shown = time.monotonic()
    time.sleep(hold_seconds)
    s.check(host.alive(), "the saver keeps running with its music")
    pressed = time.monotonic()
    s.hold_key(window, "Escape")
    code = host.wait(20)
    ended = time.monotonic()
    s.check(code == 0, "the saver ends normally (%s)" % code)
    return shown, pressed, ended


def test_wav_loops_while_the_saver_runs(s):
    server = SoundServer(s)
    try:
        make_tone(s, "C:\\Music\\tone.wav", 1.5, 440)
        recorder = Recorder(s)
        shown, pressed, ended = run_saver_with(s, "C:\\Music\\tone.wav", 4.0)
        time.sleep(1.5)
        recorder.stop()
        playing = recorder.rms(shown + 1.0, pressed - 0.2)
        after = recorder.rms(ended + 1.0, ended + 1.4)
        s.log("measured WAV level while running %.3f, after the end %.4f" % (playing, after))
        s.check(playing > SOUND, "the tone sounds while the saver runs (RMS %.3f)" % playing)
        # The file lasts 1.5 s: sound 3 s after the start means it looped.
        s.check(recorder.rms(shown + 3.0, shown + 3.4) > SOUND, "the WAV file loops past its end")
        s.check(after < SILENCE, "silence within a second of the saver's end (RMS %.4f)" % after)
    finally:
        server.stop()


def test_mp3_restarts_after_its_end(s):
    server = SoundServer(s)
    try:
        make_tone(s, "C:\\My Music\\Short Tone.Mp3", 1.5, 660, mp3=True)
        recorder = Recorder(s)
        shown, pressed, ended = run_saver_with(s, "C:\\My Music\\Short Tone.Mp3", 7.0)
        time.sleep(1.5)
        recorder.stop()
        levels = recorder.levels(shown, pressed - 0.1)
        sounding = [level > SOUND for _, level in levels]
        s.log("MP3 levels every 0.1 s: " + " ".join("%.2f" % level for _, level in levels))
        s.check(any(sounding), "the MP3 file sounds while the saver runs")
        first_on = sounding.index(True)
        # The first gap after the first pass, and the sound after it.
        gap_start = next((i for i in range(first_on, len(sounding)) if not sounding[i]), None)
        s.check(gap_start is not None, "the first pass ends")
        back = next((i for i in range(gap_start, len(sounding)) if sounding[i]), None)
        s.check(back is not None, "the MP3 file plays again after its end")
        gap = (back - gap_start) * 0.1
        s.log("measured MP3 restart gap %.1f s" % gap)
        s.check(gap <= 2.0, "sound again within about two seconds of the end (%.1f s)" % gap)
        after = recorder.rms(ended + 1.0, ended + 1.4)
        s.log("measured MP3 level after the end %.4f" % after)
        s.check(after < SILENCE, "silence within a second of the saver's end (RMS %.4f)" % after)
    finally:
        server.stop()


def test_wav_without_a_sound_device_runs_silently(s):
    # No sound server at all: the platform reports no wave device and nothing is played.
    s.env.pop("PULSE_SERVER", None)
    s.env["PULSE_SERVER"] = "unix:" + s.output_path("no-such-server")
    make_tone(s, "C:\\Music\\tone.wav", 1.0, 440)
    run_saver_with(s, "C:\\Music\\tone.wav", 2.0)
    s.check(s.wait_window_gone(RENDERER_TITLE, 10), "no renderer window is left")


# Every way a program here reaches a file, an MCI device or a sound: the relay trace prints their arguments.
TRACED_CALLS = ("CreateFileA;CreateFileW;CreateFile2;GetFileAttributesA;GetFileAttributesW;GetFileAttributesExA;"
                "GetFileAttributesExW;FindFirstFileA;FindFirstFileW;FindFirstFileExA;FindFirstFileExW;"
                "mciSendStringA;mciSendStringW;mciSendCommandA;mciSendCommandW;PlaySoundA;PlaySoundW;"
                "sndPlaySoundA;sndPlaySoundW;mmioOpenA;mmioOpenW")


def traced_saver_run(s, folder, music_path, name):
    """Runs /s from `folder` with the music file set, traced, for three seconds; (relay trace, recorder)."""
    with open(os.path.join(folder, "Orvalis.ini"), "wb") as f:
        f.write(settings_file(b"2", b"0", music_path.encode("ascii")))
    recorder = Recorder(s)
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/s", name=name, env={"WINEDEBUG": "-all,+relay"})
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host)
    shown = time.monotonic()
    time.sleep(3.0)
    s.check(host.alive(), "the saver runs with %s" % music_path)
    s.hold_key(window, "Escape")
    s.check(host.wait(20) == 0, "the saver ends normally")
    recorder.stop()
    with open(host.stderr_path, encoding="utf-8", errors="replace") as f:
        trace = f.read()
    return trace, recorder.rms(shown + 1.0, shown + 2.8)


def test_a_shared_settings_file_never_reaches_another_computer(s):
    own, _ = install_saver(s)
    s.install_texture()
    server = None
    try:
        # Drive Y: holds a real tone, so that only the drive's type keeps it from sounding.
        make_tone(s, "C:\\Music\\tone.wav", 1.5, 440)
        shutil.copyfile(s.prefix_path("C:\\Music\\tone.wav"), os.path.join(map_network_drive(s), "tone.wav"))
        shared, _ = install_shared_saver(s, b"")
        s.check(run_reg(s, "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/d", TRACED_CALLS,
                        "/f") == 0, "the relay trace shows the file, MCI and sound calls")
        server = SoundServer(s)

        # The saver in the user's own folder plays from the network drive: the trace shows the path it opens.
        trace, level = traced_saver_run(s, own, "Y:\\%s\\tone.wav" % SERVER, "own-folder")
        s.log("own folder: level %.3f, %d traced lines name the server" % (level, trace.count(SERVER)))
        s.check(SERVER in trace, "a saver in its own folder opens the file on the network drive")
        s.check(level > SOUND, "and plays it (RMS %.3f)" % level)

        for path in ("\\\\%s\\music\\tone.mp3" % SERVER, "//%s/music/tone.wav" % SERVER,
                     "\\\\?\\UNC\\%s\\music\\tone.mp3" % SERVER, "Y:\\%s\\tone.wav" % SERVER):
            trace, level = traced_saver_run(s, shared, path, "system-folder-%d" % len(path))
            s.check("Orvalis.dll" in trace, "the trace shows the host's own file calls")
            named = [line for line in trace.splitlines() if SERVER in line]
            s.check(not named, "in the system folder no call names the server for %s: %s" % (path, named[:3]))
            s.check(level < SILENCE, "and the saver runs silently (RMS %.4f)" % level)
    finally:
        if server:
            server.stop()
        remove_shared_saver(s)
        unmap_network_drive(s)
        run_reg(s, "delete", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/f")


if __name__ == "__main__":
    main(globals())
