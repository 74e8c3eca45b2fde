"""Saver runs back to back: /s, the renderer's window, Escape, the host's end; again and again.

Every run must leave no process and no window behind and write the same texture file, and neither program may
grow while it runs: its private bytes and open descriptors are read after a warm-up and again just before
Escape, and must match (the resident share is reported beside them). NOTE: Wine answers GetProcessMemoryInfo
for another process with zeros, so the figures come from the Unix side of each Wine process: VmData (private
writable memory: what Windows commits as private bytes), RssAnon (the part of it resident) and the count of
open file descriptors.

ORVALIS_SOAK_RUNS (default 3) sets the number of runs, ORVALIS_SOAK_SECONDS (default 2) how long each run shows
after its warm-up; scripts/soak runs this with larger figures. The figures of every run go to
<test output>/soak.txt and to the log."""

import hashlib
import os
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
from dialog_support import install_saver, settings_file  # noqa: E402
from harness import main  # noqa: E402

RENDERER_TITLE = "Orvalis_VC"
SAVER_TITLE = "Veyra_Main"
# The renderer settles within 3 s: it asks for the foreground again for up to 2 s after its window shows.
WARM_UP_SECONDS = 3.0
# RssAnon is reported but not judged: it counts pages touched for the first time, not memory taken.
FIGURES = ("private", "fds")


def memory_of(pid):
    """Private writable bytes, resident anonymous bytes and open descriptors of a Unix process, or None."""
    try:
        with open("/proc/%d/status" % pid) as f:
            status = dict(line.split(":", 1) for line in f if ":" in line)
        fds = len(os.listdir("/proc/%d/fd" % pid))
    except OSError:
        return None
    return {"private": int(status["VmData"].split()[0]) * 1024, "anon": int(status["RssAnon"].split()[0]) * 1024,
            "fds": fds}


def one_run(s, folder, index, seconds):
    # The time limit of the run must leave room for long single runs.
    host = s.start(os.path.join(folder, "Orvalis.scr"), "/s", name="host-%03d" % index,
                   seconds=int(WARM_UP_SECONDS + seconds) + 120)
    window = s.find_window(RENDERER_TITLE, seconds=60, program=host)
    pids = {SAVER_TITLE: s.wait_for(lambda: s.unix_pid_of("Orvalis.scr"), 20, "the host's process"),
            RENDERER_TITLE: s.wait_for(lambda: s.unix_pid_of("Orvalis.dll"), 20,
                                       "the renderer's process")}
    time.sleep(WARM_UP_SECONDS)
    warm = {t: memory_of(pid) for t, pid in pids.items()}
    time.sleep(seconds)
    late = {t: memory_of(pid) for t, pid in pids.items()}
    for t in pids:
        s.check(warm[t] is not None and late[t] is not None, "run %d: figures of %s read" % (index, t))
    with open(s.prefix_path("C:\\Tessalume.bmp"), "rb") as f:
        texture = hashlib.sha256(f.read()).hexdigest()
    s.hold_key(window, "Escape")
    code = host.wait(30)
    s.check(code == 0, "run %d: the host ends with exit code 0 (%s)" % (index, code))
    s.wait_for(lambda: not s.unix_processes("Orvalis."), 15, "run %d: the saver's processes to end" % index,
               interval=0.3)
    for title in (RENDERER_TITLE, SAVER_TITLE):
        s.check(s.wait_window_gone(title, 10), "run %d: no %s window is left" % (index, title))
    return warm, late, texture


def test_runs_back_to_back(s):
    runs = int(os.environ.get("ORVALIS_SOAK_RUNS", "3"))
    seconds = float(os.environ.get("ORVALIS_SOAK_SECONDS", "2"))
    folder, _ = install_saver(s, settings_file(b"0", b"0", b""))
    s.remove_textures()
    textures = set()
    report = open(s.output_path("soak.txt"), "w")
    report.write("run program private-warm private-late anon-warm anon-late fds-warm fds-late\n")
    growth = []
    t0 = time.monotonic()
    for index in range(1, runs + 1):
        warm, late, texture = one_run(s, folder, index, seconds)
        textures.add(texture)
        for title, name in ((SAVER_TITLE, "host"), (RENDERER_TITLE, "renderer")):
            w, l = warm[title], late[title]
            line = "%d %s %d %d %d %d %d %d" % (index, name, w["private"], l["private"], w["anon"], l["anon"],
                                              w["fds"], l["fds"])
            report.write(line + "\n")
            s.log("measured " + line)
            changed = [f for f in FIGURES if l[f] != w[f]]
            if changed:
                growth.append("run %d %s: %s" % (index, name, ", ".join("%s %d -> %d" % (f, w[f], l[f])
                                                                       for f in changed)))
    report.write("runs %d, %.1f s\n" % (runs, time.monotonic() - t0))
    report.close()
    s.check(len(textures) == 1, "every run wrote the same texture file (%d distinct)" % len(textures))
    s.check(not growth, "no program grew while it ran: %s" % ("; ".join(growth) or "none"))


if __name__ == "__main__":
    main(globals())
