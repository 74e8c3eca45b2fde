"""Sound for the end-to-end tests: a private sound server for the Wine session, a recorder of what it plays,
and tones made as WAV or MP3 files in the prefix."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from processes import TestFailure  # noqa: E402

RATE = 44100

FRAME_BYTES = 4  # 16-bit stereo

SILENCE = 0.01

SOUND = 0.1


class Recorder:
    """Records the null sink's monitor; every sample's wall-clock time is known from the end of the recording."""

    def __init__(self, s):
        self.s = s
        self.path = s.output_path("recording.raw")
        self.file = open(self.path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "--latency-msec=20", "--device=nullsink.monitor", "--rate=%d" % RATE, "--channels=2",
             "--format=s16le", "--raw"], env=self.s.env, stdin=subprocess.DEVNULL, stdout=self.file,
            stderr=subprocess.DEVNULL)
        self.samples = None
        self.end = None
        # The first data arrives about half a second after the recorder starts.
        s.wait_for(lambda: os.path.getsize(self.path) > RATE * FRAME_BYTES // 10, 10, "the recorder's first data")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)
        self.end = time.monotonic()
        self.file.close()
        with open(self.path, "rb") as f:
            data = f.read()
        usable = len(data) - len(data) % FRAME_BYTES
        # Left channel as signed 16-bit numbers.
        self.samples = memoryview(data[:usable]).cast("h")[0::2]

    def rms(self, start, end):
        """Root mean square level (1.0 = full scale) between two monotonic times."""
        count = len(self.samples)
        first = max(0, count - int((self.end - start) * RATE))
        last = min(count, count - int((self.end - end) * RATE))
        if last <= first:
            raise TestFailure("no recording between %.2f and %.2f" % (start, end))
        total = 0.0
        for v in self.samples[first:last]:
            total += v * v
        return (total / (last - first)) ** 0.5 / 32768.0

    def levels(self, start, end, step=0.1):
        """(time, level) for each window of `step` seconds."""
        out = []
        t = start
        while t + step <= end:
            out.append((t, self.rms(t, t + step)))
            t += step
        return out


class SoundServer:
    """The private sound server of scripts/lib/pulse-start, its state in a short folder of its own: a Unix
    socket's path may not be longer than 107 bytes, which a long test name under a deep build folder exceeds."""

    def __init__(self, s):
        self.s = s
        self.state = tempfile.mkdtemp(prefix="orvalis-pulse-")
        server = subprocess.run([os.path.join(s.source_dir, "scripts", "lib", "pulse-start"), self.state],
                                capture_output=True, text=True, timeout=30)
        if server.returncode != 0:
            raise TestFailure("the sound server did not start: " + server.stderr.strip())
        s.env["PULSE_SERVER"] = server.stdout.strip()
        s.log("sound server at " + s.env["PULSE_SERVER"])

    def stop(self):
        subprocess.run([os.path.join(self.s.source_dir, "scripts", "lib", "pulse-stop"), self.state], timeout=30,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.state, ignore_errors=True)


def make_tone(s, windows_path, seconds, frequency, mp3=False):
    """A 0.5-amplitude sine tone at a path on drive C:."""
    target = s.prefix_path(windows_path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    wav = target if not mp3 else s.output_path("tone.wav")
    subprocess.run(["sox", "-n", "-r", str(RATE), "-c", "2", "-b", "16", wav, "synth", str(seconds), "sine",
                    str(frequency), "vol", "0.5"], check=True, timeout=60)
    if mp3:
        subprocess.run(["lame", "--quiet", wav, target], check=True, timeout=60)
    return target
