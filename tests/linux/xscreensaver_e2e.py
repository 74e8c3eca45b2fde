#!/usr/bin/env python3
"""The Linux program under the real XScreenSaver daemon on a private Xvfb: activated, it fills the screen with
the moving cloud; deactivated, it is gone; then the daemon exits. The daemon launches no display mode for root,
so it runs as a user made for the test (useradd) and removed after it (userdel -r). ORVALIS_PROGRAM names the
program.
  xscreensaver_e2e.py activate            exit code 77 (skipped) without root or sudo"""
import os
import shutil
import subprocess
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
import runner  # noqa: E402
from pictures import cloud_on_screen  # noqa: E402
from processes import Skipped, check, poll, privileged  # noqa: E402
from x11_support import Xvfb  # noqa: E402

PROGRAM = os.environ.get("ORVALIS_PROGRAM", "orvalis")


def test_activate():
    root = privileged()
    if root is None:
        raise Skipped("needs root or sudo without a password (the daemon launches nothing for root)")
    for tool in ("xscreensaver", "xscreensaver-command", "runuser", "useradd"):
        check(shutil.which(tool) or os.path.exists(f"/usr/sbin/{tool}"),
              f"{tool} is installed (scripts/deps installs it)")
    user = f"orvalis-xss{os.getpid()}"
    home = f"/home/{user}"
    subprocess.run(root + ["useradd", "-m", "-d", home, "-s", "/bin/sh", user], check=True)
    daemon = None
    try:
        with Xvfb() as xvfb:
            program = f"{home}/orvalis"
            subprocess.run(root + ["install", "-o", user, "-m", "0755", PROGRAM, program], check=True)
            settings = (f"mode: one\nselected: 0\nlock: False\nsplash: False\nfade: False\nunfade: False\n"
                        f"timeout: 1:00:00\ndpmsEnabled: False\n"
                        f"programs:\t\\\n  GL: {program} -root \\n\\\n\n")
            subprocess.run(root + ["runuser", "-u", user, "--", "sh", "-c", f"cat > {home}/.xscreensaver"],
                           input=settings, text=True, check=True)
            as_user = root + ["runuser", "-u", user, "--", "env", f"DISPLAY={xvfb.display}", f"HOME={home}"]

            def command(*args):
                return subprocess.run(as_user + ["xscreensaver-command", *args], capture_output=True, text=True,
                                      timeout=20)

            log = open(os.path.join(xvfb.state, "xscreensaver.log"), "w")
            daemon = subprocess.Popen(as_user + ["xscreensaver", "-no-splash", "-verbose"], stdout=log,
                                      stderr=subprocess.STDOUT)
            check(poll(lambda: command("-time").returncode == 0, 20, 0.2), "the daemon did not come up")

            def hack_pids():
                return subprocess.run(["pgrep", "-u", user, "-x", "orvalis"], capture_output=True,
                                      text=True).stdout.split()

            check(command("-activate").returncode == 0, "xscreensaver-command -activate failed")
            check(poll(hack_pids, 20, 0.2), "the daemon did not start orvalis")
            first = poll(lambda: (lambda shot: shot if cloud_on_screen(shot) else None)(xvfb.screenshot()), 20, 0.3)
            check(first, "the screen fills with the cloud")
            time.sleep(0.5)
            second = xvfb.screenshot(save_as="xscreensaver-orvalis.png")
            share = second.lit_share()
            changed = sum(1 for i in range(0, len(first.rgb), 3) if first.rgb[i:i + 3] != second.rgb[i:i + 3])
            print(f"lit share {share:.4f}; {changed} pixels changed in 0.5 s")
            check(cloud_on_screen(second), f"the cloud stays on screen (lit share {share:.4f})")
            check(changed > 0.01 * second.width * second.height, "the cloud does not move")

            check(command("-deactivate").returncode == 0, "xscreensaver-command -deactivate failed")
            check(poll(lambda: not hack_pids(), 10, 0.1), "orvalis is still running after -deactivate")
            check(command("-exit").returncode == 0, "xscreensaver-command -exit failed")
            daemon.wait(20)
            log.close()
            text = open(log.name).read()
            for word in ("crashed", "core dumped", "exited with status", "killed by signal"):
                check(word not in text, f"the daemon reports '{word}':\n{text}")
    finally:
        if daemon is not None and daemon.poll() is None:
            daemon.terminate()
            daemon.wait(10)
        subprocess.run(root + ["userdel", "-r", user], capture_output=True)


if __name__ == "__main__":
    runner.main(globals())
