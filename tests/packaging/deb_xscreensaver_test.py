#!/usr/bin/env python3
"""The README's steps on Linux, as a new user meets them: the package installed with dpkg, a fresh account whose
~/.xscreensaver does not exist (the daemon then lists only its own defaults) and whose daemon runs already, the
README's second command (`orvalis --add-to-xscreensaver`) run as that user (twice: the second run changes
nothing), and `xscreensaver-command -select N` for Orvalis's place in the list, which stands for picking it in
xscreensaver-settings, running orvalis as that user, drawing the cloud. The package is removed again.
ORVALIS_DEB names the package.
    deb_xscreensaver_test.py xscreensaver_steps   exit code 77 (skipped) without root, or when orvalis is installed"""
import os
import re
import shlex
import subprocess
import sys

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
import runner  # noqa: E402
from pictures import cloud_on_screen  # noqa: E402
from processes import Skipped, check, poll, privileged  # noqa: E402
from x11_support import SOURCE_DIR, Xvfb  # noqa: E402
DEFAULTS = "/etc/X11/app-defaults/XScreenSaver"


def programs_list(text, key):
    """The entries of the last `key:` resource of an X resource file, in order, as the daemon numbers them."""
    lines, value = text.split("\n"), None
    i = 0
    while i < len(lines):
        start = i
        while lines[i].rstrip().endswith("\\") and i + 1 < len(lines):
            i += 1
        if re.match(rf"\s*{re.escape(key)}\s*:", lines[start]):
            joined = "".join(line.rstrip()[:-1] if line.rstrip().endswith("\\") else line
                             for line in lines[start:i + 1])
            value = joined.split(":", 1)[1]
        i += 1
    check(value is not None, f"no {key} resource")
    return [entry.strip() for entry in value.split("\\n") if entry.strip()]


def readme_steps(deb):
    """The commands of the README's Linux section: install, add, settings. The test runs what it says."""
    text = open(SOURCE_DIR / "README.md", encoding="utf-8").read()
    section = text.split("## Orvalis on Linux", 1)[1]
    steps = section.split("```", 2)[1].strip().splitlines()
    check(len(steps) == 3, f"the README's steps: {steps}")
    check(steps[0] == f"sudo apt install ./{os.path.basename(deb)}", f"install step: {steps[0]}")
    check(steps[2] == "xscreensaver-settings", f"last step: {steps[2]}")
    return shlex.split(steps[1])


def test_xscreensaver_steps():
    deb = os.environ["ORVALIS_DEB"]
    root = privileged()
    if root is None:
        raise Skipped("needs root or sudo without a password (dpkg -i, and a user for the daemon)")
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "orvalis"], capture_output=True, text=True)
    if status.stdout.endswith(" installed"):
        raise Skipped("orvalis is installed on this machine already; the test installs and removes it")
    add_step = readme_steps(deb)
    user = f"orvalis-steps{os.getpid()}"
    home = f"/home/{user}"
    daemon = None
    installed = False
    try:
        result = subprocess.run(root + ["dpkg", "-i", deb], capture_output=True, text=True, timeout=120)
        check(result.returncode == 0, f"dpkg -i failed: {result.stderr}")
        installed = True
        subprocess.run(root + ["useradd", "-m", "-d", home, "-s", "/bin/sh", user], check=True)
        settings = f"{home}/.xscreensaver"
        check(not os.path.exists(settings), "the fresh account has a ~/.xscreensaver already")

        def as_user(*variables):
            """Runs as the user with a login's plain environment and nothing of this process's."""
            return root + ["runuser", "-u", user, "--", "env", "-i", "PATH=/usr/local/bin:/usr/bin:/bin:/usr/games",
                           f"HOME={home}", f"USER={user}", *variables]

        def add():
            run = subprocess.run(as_user() + add_step, capture_output=True, text=True, timeout=20)
            check(run.returncode == 0, f"{add_step}: {run.returncode} {run.stderr}")
            return run.stdout, open(settings, "rb").read()

        with Xvfb() as xvfb:
            display = as_user(f"DISPLAY={xvfb.display}")

            def command(*args):
                return subprocess.run(display + ["xscreensaver-command", *args], capture_output=True, text=True,
                                      timeout=20)

            def hack_pids():
                return subprocess.run(["pgrep", "-u", user, "-x", "orvalis"], capture_output=True,
                                      text=True).stdout.split()

            log = open(os.path.join(xvfb.state, "xscreensaver.log"), "w")
            daemon = subprocess.Popen(display + ["xscreensaver", "-no-splash", "-verbose"], stdout=log,
                                      stderr=subprocess.STDOUT)
            check(poll(lambda: command("-time").returncode == 0, 20, 0.2), "the daemon did not come up")
            as_root = subprocess.run(root + ["env", f"HOME={home}", *add_step], capture_output=True, text=True,
                                     timeout=20)
            check(as_root.returncode == 1 and "without sudo" in as_root.stderr and not os.path.exists(settings),
                  f"run as root with the user's HOME: {as_root.returncode} {as_root.stderr}")
            message, first = add()
            print(message.strip())
            check(os.stat(settings).st_uid == int(subprocess.run(["id", "-u", user], capture_output=True,
                                                                  text=True).stdout), "~/.xscreensaver is not the user's")
            entries = programs_list(first.decode(), "programs")
            defaults = programs_list(open(DEFAULTS).read(), "*programs")
            check(entries[:-1] == defaults, "the daemon's own display modes did not stay in the list, in order")
            check(re.fullmatch(r"GL:\s+orvalis --root", entries[-1]), f"last entry: {entries[-1]!r}")
            message, second = add()
            check(second == first and "already" in message, f"the second run changed the file: {message}")

            number = len(entries)  # the daemon counts its list from 1
            selected = command("-select", str(number))
            check(selected.returncode == 0, f"xscreensaver-command -select {number}: {selected.stderr}")
            check(poll(hack_pids, 20, 0.2), f"-select {number} did not start orvalis:\n{open(log.name).read()}")
            lit = poll(lambda: cloud_on_screen(xvfb.screenshot()), 20, 0.3)
            xvfb.screenshot(save_as="xscreensaver-select-orvalis.png")
            check(lit, "the screen did not fill with the cloud")
            print(f"-select {number} runs orvalis as {user} (pids {' '.join(hack_pids())})")
            check(command("-exit").returncode == 0, "xscreensaver-command -exit failed")
            daemon.wait(20)
            check(poll(lambda: not hack_pids(), 10, 0.1), "orvalis is still running after the daemon left")
    finally:
        if daemon is not None and daemon.poll() is None:
            daemon.terminate()
            daemon.wait(10)
        subprocess.run(root + ["userdel", "-r", user], capture_output=True)
        if installed:
            subprocess.run(root + ["dpkg", "-P", "orvalis"], capture_output=True)


if __name__ == "__main__":
    runner.main(globals())
