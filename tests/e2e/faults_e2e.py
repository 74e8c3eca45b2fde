"""Faults the saver must survive under Wine: one of its two programs killed mid-run, the music gone or unplayable,
nowhere to put the texture. In every case the run ends cleanly: music silent, cursor back, no process and no
window of the saver left behind."""

import ctypes
import os
import struct
import subprocess
import sys
import threading
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from dialog_support import install_saver, settings_file  # noqa: E402
from harness import TRACE_STARTS, main, renderer_starter_pid  # noqa: E402
from host_support import (HOST_FOLLOWS_SECONDS, TRACE_ENV, EndClock, cursor_calls,  # noqa: E402
                          renderer_unix_pid)
from sound_support import SILENCE, SOUND, Recorder, SoundServer, make_tone  # noqa: E402

RENDERER_TITLE = "Orvalis_VC"
SAVER_TITLE = "Veyra_Main"


def saver_processes(s):
    """Unix pids of this prefix's processes that run either program of the saver."""
    return s.unix_processes("Orvalis.")


def check_nothing_left(s):
    """No process and no window of the saver remain (polled briefly: Wine tears a process down in steps)."""
    s.wait_for(lambda: not saver_processes(s), 10, "the saver's processes to end", interval=0.3)
    s.check(True, "no Orvalis.scr or Orvalis.dll process is left")
    for title in (RENDERER_TITLE, SAVER_TITLE):
        s.check(s.wait_window_gone(title, 5), "no %s window is left" % title)


def start_installed_saver(s, music_path=None, env=None, wait_for_renderer=True):
    """Both programs in C:\\Saver with music settings (kind 2 and the file, or none); starts /s."""
    ini = settings_file(b"2", b"0", music_path.encode("ascii")) if music_path else settings_file(b"0", b"0", b"")
    folder, _ = install_saver(s, ini)
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/s", env=env, name="host")
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host) if wait_for_renderer else None
    return host, window


def host_unix_pid(s):
    return s.wait_for(lambda: s.unix_pid_of("Orvalis.scr"), 20, "the host's process")


def test_killed_renderer_stops_the_music_and_gives_the_cursor_back(s):
    server = SoundServer(s)
    try:
        make_tone(s, "C:\\Music\\tone.wav", 1.5, 440)
        s.remove_textures()
        recorder = Recorder(s)
        host, _ = start_installed_saver(s, "C:\\Music\\tone.wav", env=TRACE_ENV)
        saver = s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
        shown = time.monotonic()
        s.wait_for(lambda: time.monotonic() > shown + 2.0, 5, "two seconds of music")
        renderer = renderer_unix_pid(s)
        clock = EndClock(host)
        killed = time.monotonic()
        os.kill(renderer, 9)
        code = clock.wait(15)
        s.check(code is not None, "the host ends after the renderer was killed")
        ended = clock.at
        s.log("measured killed renderer to host exit = %.3f s" % (ended - killed))
        s.check(code == 0, "the host's exit code is 0 (%s)" % code)
        # The host waits on the renderer's process, so the music stops with it, not at a later tick.
        s.check(ended - killed < HOST_FOLLOWS_SECONDS, "the host ends within %.1f s of the kill (%.2f s)"
                % (HOST_FOLLOWS_SECONDS, ended - killed))
        time.sleep(1.5)
        recorder.stop()
        playing = recorder.rms(shown + 0.5, killed - 0.1)
        after = recorder.rms(ended + 0.8, ended + 1.3)
        s.log("measured WAV level before the kill %.3f, after the host's end %.4f" % (playing, after))
        s.check(playing > SOUND, "the music played before the kill (RMS %.3f)" % playing)
        s.check(after < SILENCE, "the music stopped with the host (RMS %.4f)" % after)
        s.check(cursor_calls(host, saver["pid"]) == [(0, -1), (1, 0)], "the cursor was shown again")
        check_nothing_left(s)
    finally:
        server.stop()


def test_killed_host_leaves_the_renderer_to_end_on_escape(s):
    s.remove_textures()
    normal_mode = s.display_mode()
    host, window = start_installed_saver(s)
    s.wait_for(lambda: s.win_info(SAVER_TITLE), 20, "the Veyra_Main window")
    renderer = renderer_unix_pid(s)
    os.kill(host_unix_pid(s), 9)
    s.check(host.wait(15) is not None, "the host is gone")
    s.check(s.wait_window_gone(SAVER_TITLE, 10), "its hidden window went with it")
    # The renderer runs on by itself: its window stays and it still draws.
    s.check(s.win_info(RENDERER_TITLE) is not None, "the renderer's window is still there")
    mode = s.display_mode()
    s.check(mode is not None and mode.startswith("1024x768x"), "the renderer still holds the display (%s)" % mode)
    s.hold_key(window, "Escape")
    s.check(s.wait_window_gone(RENDERER_TITLE, 20), "Escape ends the orphaned renderer")
    s.wait_for(lambda: not os.path.exists("/proc/%d" % renderer), 10, "the renderer's process to end")
    s.check(s.display_mode() == normal_mode, "the display mode is back to %s" % normal_mode)
    check_nothing_left(s)


def test_nowhere_to_write_the_texture_ends_cleanly_with_music_configured(s):
    server = SoundServer(s)
    s.remove_textures()
    blocked = [s.prefix_path("C:\\Tessalume.bmp"), os.path.join(s.temp_dir(), "Tessalume.bmp")]
    for path in blocked:
        os.makedirs(path)
    try:
        make_tone(s, "C:\\Music\\tone.wav", 1.5, 440)
        recorder = Recorder(s)
        # The host may end before its window can be looked up: its pid comes from the trace.
        host, _ = start_installed_saver(s, "C:\\Music\\tone.wav", env={"WINEDEBUG": TRACE_STARTS + ",+cursor"},
                                        wait_for_renderer=False)
        code = host.wait(30)
        ended = time.monotonic()
        s.check(code == 0, "the host ends on its own (%s)" % code)
        time.sleep(1.3)
        recorder.stop()
        after = recorder.rms(ended + 0.5, ended + 1.2)
        s.log("measured level after the end %.4f" % after)
        s.check(after < SILENCE, "the music stopped with the host (RMS %.4f)" % after)
        s.check(cursor_calls(host, renderer_starter_pid(host)) == [(0, -1), (1, 0)], "the cursor was shown again")
        for path in blocked:
            s.check(os.path.isdir(path) and not os.listdir(path), "%s was left as it was" % path)
        check_nothing_left(s)
    finally:
        server.stop()
        for path in blocked:
            os.rmdir(path)


def test_mp3_without_a_sound_device_runs_silently(s):
    s.env["PULSE_SERVER"] = "unix:" + s.output_path("no-such-server")
    make_tone(s, "C:\\Music\\tone.mp3", 1.0, 440, mp3=True)
    s.remove_textures()
    host, window = start_installed_saver(s, "C:\\Music\\tone.mp3")
    # Long enough for the one-second MP3 watch to run a few times against the failed device.
    time.sleep(3.0)
    s.check(host.alive() and s.win_info(RENDERER_TITLE) is not None, "the saver keeps running without sound")
    s.hold_key(window, "Escape")
    s.check(host.wait(20) == 0, "the saver ends normally")
    check_nothing_left(s)


# --- the music file removed after the settings were read ------------------------------------------------

IN_CLOSE_WRITE = 0x00000008


class DeleteAfterTextureWrite:
    """Deletes a file the moment the host has closed the texture it wrote: the host reads its settings before it
    writes the texture and starts the music only after it has started the renderer, so the file is gone in
    between. inotify through the C library; the watch ends with the test."""

    def __init__(self, s, folder, victim):
        self.s = s
        self.victim = victim
        self.deleted_at = None
        libc = ctypes.CDLL("libc.so.6", use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or libc.inotify_add_watch(self.fd, folder.encode(), IN_CLOSE_WRITE) < 0:
            raise OSError(ctypes.get_errno(), "inotify")
        self.stop_flag = False
        self.thread = threading.Thread(target=self._watch, daemon=True)
        self.thread.start()

    def _watch(self):
        import select
        while not self.stop_flag and self.deleted_at is None:
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if not ready:
                continue
            data = os.read(self.fd, 4096)
            pos = 0
            while pos + 16 <= len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, pos)
                name = data[pos + 16:pos + 16 + length].rstrip(b"\0")
                pos += 16 + length
                if mask & IN_CLOSE_WRITE and name.lower() == b"tessalume.bmp" and os.path.exists(self.victim):
                    os.unlink(self.victim)
                    self.deleted_at = time.monotonic()

    def stop(self):
        self.stop_flag = True
        self.thread.join(5)
        os.close(self.fd)


class DefaultSound:
    """Makes a file the system's default sound, the one the platform plays for a sound name it cannot find
    unless told not to: the "Default" entry of the win.ini [Sounds] section, which Wine keeps in the registry
    under HKCU\\Control Panel\\Sounds. Removed again at the end."""

    KEY = "HKCU\\Control Panel\\Sounds"

    def __init__(self, s, windows_path):
        self.s = s
        s.check(self._reg("add", self.KEY, "/v", "Default", "/d", windows_path, "/f") == 0,
                "the default sound is %s" % windows_path)

    def _reg(self, *args):
        return subprocess.run(["timeout", "-k", "5", "60", "wine", "reg", *args], env=self.s.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=70).returncode

    def restore(self):
        self._reg("delete", self.KEY, "/v", "Default", "/f")


def test_music_file_deleted_after_loading_plays_nothing(s):
    server = SoundServer(s)
    watch = None
    default = None
    try:
        music = make_tone(s, "C:\\Music\\gone.wav", 1.5, 440)
        make_tone(s, "C:\\Music\\ding.wav", 0.5, 880)
        # With a default sound at hand, a missing file must not be replaced by it (it would loop for the
        # whole run).
        default = DefaultSound(s, "C:\\Music\\ding.wav")
        s.remove_textures()
        watch = DeleteAfterTextureWrite(s, os.path.join(s.prefix, "drive_c"), music)
        recorder = Recorder(s)
        host, window = start_installed_saver(s, "C:\\Music\\gone.wav")
        shown = time.monotonic()
        s.check(watch.deleted_at is not None, "the music file was deleted after the texture was written")
        time.sleep(3.0)
        s.check(host.alive(), "the saver keeps running")
        pressed = time.monotonic()
        s.hold_key(window, "Escape")
        code = host.wait(20)
        recorder.stop()
        level = recorder.rms(shown, pressed)
        s.log("measured level while running without the file %.4f" % level)
        s.check(code == 0, "the saver ends normally (%s)" % code)
        s.check(level < SILENCE, "nothing sounds while the saver runs (RMS %.4f)" % level)
        check_nothing_left(s)
    finally:
        if watch:
            watch.stop()
        if default:
            default.restore()
        server.stop()


if __name__ == "__main__":
    main(globals())
