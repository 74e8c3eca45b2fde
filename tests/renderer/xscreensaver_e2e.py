#!/usr/bin/env python3
"""The Linux program under the real XScreenSaver daemon on a private Xvfb: activated, it fills the screen with
the moving cloud; deactivated, it is gone; then the daemon exits. The daemon launches no display mode for root,
so it runs as a user made for the test (useradd) and removed after it (userdel -r).
  xscreensaver_e2e.py PROGRAM            exit code 77 (skipped) without root or sudo"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from x11_support import TestFailure, Xvfb, check, screenshot, wait_for  # noqa: E402

SKIPPED = 77


def privileged():
    """The command prefix that runs as root: none when root, sudo without a password, or None."""
    if os.geteuid() == 0:
        return []
    if shutil.which("sudo") and subprocess.run(["sudo", "-n", "true"], capture_output=True).returncode == 0:
        return ["sudo", "-n"]
    return None


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = privileged()
    if root is None:
        print("SKIP: needs root or sudo without a password (the daemon launches nothing for root)")
        return SKIPPED
    for tool in ("xscreensaver", "xscreensaver-command", "runuser", "useradd"):
        if not shutil.which(tool) and not os.path.exists(f"/usr/sbin/{tool}"):
            print(f"FAIL: {tool} is not installed (scripts/deps installs it)", file=sys.stderr)
            return 1
    user = f"orvalis-xss{os.getpid()}"
    home = f"/home/{user}"
    subprocess.run(root + ["useradd", "-m", "-d", home, "-s", "/bin/sh", user], check=True)
    daemon = None
    try:
        with Xvfb() as xvfb:
            program = f"{home}/orvalis"
            subprocess.run(root + ["install", "-o", user, "-m", "0755", sys.argv[1], program], check=True)
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
            check(wait_for(lambda: command("-time").returncode == 0, 20, 0.2), "the daemon did not come up")

            def hack_pids():
                return subprocess.run(["pgrep", "-u", user, "-x", "orvalis"], capture_output=True,
                                      text=True).stdout.split()

            check(command("-activate").returncode == 0, "xscreensaver-command -activate failed")
            check(wait_for(hack_pids, 20, 0.2), "the daemon did not start orvalis")
            first = wait_for(lambda: (lambda shot: shot if shot.lit_share() > 0.03 else None)(
                screenshot(xvfb.display)), 20, 0.3)
            check(first, "the screen did not fill with the cloud (lit share stayed below 3 %)")
            time.sleep(0.5)
            second = screenshot(xvfb.display, save_as="xscreensaver-orvalis.png")
            share = second.lit_share()
            changed = sum(1 for i in range(0, len(first.rgb), 3) if first.rgb[i:i + 3] != second.rgb[i:i + 3])
            print(f"lit share {share:.4f}; {changed} pixels changed in 0.5 s")
            check(share > 0.03, f"lit share {share:.4f}")
            check(changed > 0.01 * second.width * second.height, "the cloud does not move")

            check(command("-deactivate").returncode == 0, "xscreensaver-command -deactivate failed")
            check(wait_for(lambda: not hack_pids(), 10, 0.1), "orvalis is still running after -deactivate")
            check(command("-exit").returncode == 0, "xscreensaver-command -exit failed")
            daemon.wait(20)
            log.close()
            text = open(log.name).read()
            for word in ("crashed", "core dumped", "exited with status", "killed by signal"):
                check(word not in text, f"the daemon reports '{word}':\n{text}")
        return 0
    except (TestFailure, subprocess.CalledProcessError, subprocess.TimeoutExpired) as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        if daemon is not None and daemon.poll() is None:
            daemon.terminate()
            daemon.wait(10)
        subprocess.run(root + ["userdel", "-r", user], capture_output=True)


if __name__ == "__main__":
    sys.exit(main())
