#!/usr/bin/env python3
"""The Debian package of the Linux program: its control fields, where its files land (the folders Debian's
XScreenSaver reads), the configuration file's contents, lintian without errors, and (as root, when orvalis is not
installed already) dpkg -i followed by dpkg -r leaving nothing behind. ORVALIS_DEB names the package.
    deb_test.py deb"""
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import runner  # noqa: E402
from processes import TestFailure, check  # noqa: E402

HACK = "usr/libexec/xscreensaver/orvalis"
CONFIG = "usr/share/xscreensaver/config/orvalis.xml"
DOCS = ("usr/share/doc/orvalis/copyright", "usr/share/doc/orvalis/changelog.gz")


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=120, **kwargs)


def check_control(deb):
    fields = {}
    for line in run("dpkg-deb", "-f", deb).stdout.splitlines():
        if ":" in line and not line.startswith(" "):
            key, value = line.split(":", 1)
            fields[key] = value.strip()
    expected = {"Package": "orvalis", "Version": "1.00.0001", "Architecture": "amd64", "Section": "x11"}
    for key, value in expected.items():
        check(fields.get(key) == value, f"control field {key} is '{fields.get(key)}', not '{value}'")
    check("xscreensaver" in fields.get("Recommends", "") + fields.get("Suggests", ""), "xscreensaver not recommended")
    for library in ("libc6", "libx11-6", "libstdc++6"):
        check(library in fields.get("Depends", ""), f"Depends lacks {library}: {fields.get('Depends')}")
    check(fields.get("Maintainer", "").startswith("Orvalis developers <"), f"Maintainer: {fields.get('Maintainer')}")


def check_files(root):
    # The folders where the installed XScreenSaver keeps its display modes and their configurations.
    listed = run("dpkg", "-L", "xscreensaver-data").stdout.split()
    if listed:
        check(any(p.startswith("/" + os.path.dirname(HACK) + "/") for p in listed), "hack folder unlike Debian's")
        check(any(p.startswith("/" + os.path.dirname(CONFIG) + "/") for p in listed), "config folder unlike Debian's")
    hack = os.path.join(root, HACK)
    check(os.access(hack, os.X_OK), f"{HACK} is missing or not executable")
    check(", stripped" in run("file", "-L", hack).stdout, f"{HACK} is not stripped")
    check(os.path.realpath(os.path.join(root, "usr/bin/orvalis")) == os.path.realpath(hack),
          "/usr/bin/orvalis does not lead to the display mode")
    help_run = run(hack, "--help")
    check(help_run.returncode == 0 and "-window-id" in help_run.stdout, f"--help: {help_run}")
    for text in ("--add-to-xscreensaver", "-fps", "-visual VISUAL"):
        check(text in help_run.stdout, f"--help does not mention {text}")
    daemon_options = run(hack, "-fps", "-no-fps", "-install", "-visual", "best", "-mono", "-pair", "--help")
    check(daemon_options.returncode == 0, f"XScreenSaver's standard options are refused: {daemon_options.stderr}")
    with gzip.open(os.path.join(root, "usr/share/man/man6/orvalis.6.gz"), "rt") as manual:
        page = manual.read()
    check("add\\-to\\-xscreensaver" in page and "Wayland" in page, "the manual lacks --add-to-xscreensaver")
    screensaver = ElementTree.parse(os.path.join(root, CONFIG)).getroot()
    check(screensaver.tag == "screensaver" and screensaver.get("name") == "orvalis" and
          screensaver.get("_label") == "Orvalis" and screensaver.get("gl") == "yes",
          f"configuration root: {screensaver.attrib}")
    delay = screensaver.find("number[@id='delay']")
    check(delay is not None and delay.get("arg") == "-delay %" and delay.get("type") == "slider",
          "no -delay slider in the configuration")
    check(int(delay.get("default")) == 16667, "the slider's default is not the program's default delay")
    description = screensaver.find("_description")
    check(description is not None and len(description.text.split()) > 20, "no description paragraph")
    for doc in DOCS:
        check(os.path.isfile(os.path.join(root, doc)), f"{doc} is missing")
    with gzip.open(os.path.join(root, DOCS[1]), "rt") as changelog:
        check(changelog.readline().startswith("orvalis (1.00.0001)"), "changelog does not start with this version")
    check("Copyright:" in open(os.path.join(root, DOCS[0])).read(), "no Copyright field")


def check_lintian(deb):
    if not shutil.which("lintian"):
        raise TestFailure("lintian is not installed (scripts/deps installs it)")
    report = run("lintian", "--allow-root", deb).stdout
    print(report.strip() or "lintian: no findings")
    errors = [line for line in report.splitlines() if line.startswith("E:")]
    check(not errors, "lintian errors:\n" + "\n".join(errors))


def check_install_remove(deb, members):
    if os.geteuid() != 0:
        print("not root: dpkg -i / -r not tried")
        return
    if run("dpkg-query", "-W", "-f=${Status}", "orvalis").stdout.endswith("installed"):
        print("orvalis is installed on this machine already: dpkg -i / -r not tried")
        return
    result = run("dpkg", "-i", deb)
    check(result.returncode == 0, f"dpkg -i failed: {result.stderr}")
    try:
        check(os.access("/" + HACK, os.X_OK), "dpkg -i did not install the display mode")
        check(run("/usr/bin/orvalis", "--help").returncode == 0, "the installed command does not run")
    finally:
        result = run("dpkg", "-P", "orvalis")
    check(result.returncode == 0, f"dpkg -P failed: {result.stderr}")
    left = [m for m in members if not m.endswith("/") and os.path.lexists("/" + m)]
    check(not left, f"left after removal: {left}")


def test_deb():
    deb = os.environ["ORVALIS_DEB"]
    scratch = tempfile.mkdtemp(prefix="orvalis-deb-")
    try:
        check(os.path.isfile(deb), f"{deb} was not built")
        check_control(deb)
        check(run("dpkg-deb", "-x", deb, scratch).returncode == 0, "dpkg-deb -x failed")
        members = [line.split()[-1].lstrip("./") if "->" not in line else line.split(" -> ")[0].split()[-1].lstrip("./")
                   for line in run("dpkg-deb", "-c", deb).stdout.splitlines()]
        check_files(scratch)
        check_lintian(deb)
        check_install_remove(deb, members)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{deb}: {os.path.getsize(deb)} bytes, checks passed")


if __name__ == "__main__":
    runner.main(globals())
