"""The release artefacts. The ZIP holds exactly the two programs of this build and the readme; the installer,
in a fresh Wine prefix, puts the programs into the system folder, makes Orvalis the user's screen saver and
registers its uninstaller; the installed saver runs; a second install upgrades in place; the uninstaller
removes everything it made, clears the user's saver only while it names Orvalis, and deletes the user's
Orvalis.ini only when asked to.

    packaging_test.py [--no-wine] NAME
"""

import io
import os
import re
import struct
import subprocess
import sys
import time
import zipfile

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support")]
import harness  # noqa: E402
from pictures import cloud_on_screen  # noqa: E402
import runner  # noqa: E402
from processes import check, read_bytes  # noqa: E402

VERSION = "1.00.0001"
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvalis"
SAVER_WIN = "C:\\windows\\system32\\Orvalis.scr"
PROGRAMS = ("Orvalis.scr", "Orvalis.dll")


# --- the ZIP (no Wine) ------------------------------------------------------------------------------

def test_zip_contents():
    path = os.environ["ORVALIS_ZIP"]
    bin_dir = os.environ["ORVALIS_BIN_DIR"]
    check(os.path.basename(path) == "Orvalis-%s-win64.zip" % VERSION, "ZIP named with the version")
    check(os.path.isfile(path), "ZIP built: " + path)
    top = "Orvalis-%s-win64/" % VERSION
    with zipfile.ZipFile(path) as z:
        files = sorted(n for n in z.namelist() if not n.endswith("/"))
        check(files == sorted(top + n for n in ("Orvalis.dll", "Orvalis.scr", "ReadMe.txt")),
              "ZIP holds the two programs and the readme in one folder, nothing else: %s" % files)
        for name in PROGRAMS:
            check(z.read(top + name) == read_bytes(os.path.join(bin_dir, name)),
                  "%s in the ZIP is this build's" % name)
        readme = z.read(top + "ReadMe.txt")
    text = readme.decode("utf-8-sig")
    check(readme.startswith(b"\xef\xbb\xbf"), "readme marked as UTF-8 (Notepad shows the Japanese labels)")
    check(b"\n" not in readme.replace(b"\r\n", b""), "readme has Windows line ends only")
    check(VERSION in text and "@" not in text, "readme carries the version, no unexpanded placeholders")
    for phrase in ("Install", "same folder", "Removing", "Orvalis.ini"):
        check(phrase in text, "readme covers %r" % phrase)
    # Nothing of the machine or the moment of the build: entries in name order, dated with the release time
    # (DOS times in UTC, two-second steps), owned by no particular user.
    epoch = int(os.environ["ORVALIS_SOURCE_DATE_EPOCH"])
    with zipfile.ZipFile(path) as z:
        infos = z.infolist()
    names = [i.filename for i in infos]
    check(names == sorted(names), "ZIP entries in name order: %s" % names)
    release = time.gmtime(epoch - epoch % 2)[:6]
    for info in infos:
        check(info.date_time == release, "%s dated %s, the release time %s" % (info.filename, info.date_time, release))
        check(all(v == 0 for v in owner_ids(info.extra)), "%s owned by no particular user" % info.filename)


def owner_ids(extra):
    """The uid and gid of a ZIP entry's 0x7875 extra field (none when it has no such field)."""
    ids, i = [], 0
    while i + 4 <= len(extra):
        field, size = struct.unpack_from("<HH", extra, i)
        if field == 0x7875:
            j = i + 5
            while j < i + 4 + size:
                n = extra[j]
                ids.append(int.from_bytes(extra[j + 1:j + 1 + n], "little"))
                j += 1 + n
        i += 4 + size
    return ids


def test_zip_normalizer():
    """normalize_zip.py on an archive whose entries are out of order and owned by uid 1000, gid 1001."""
    owner = struct.pack("<HHBBIBI", 0x7875, 11, 1, 4, 1000, 4, 1001)
    other = struct.pack("<HHB", 0xCAFE, 1, 7)
    raw = io.BytesIO()
    contents = {"top/b.txt": b"second" * 50, "top/a.txt": b"first", "top/C.bin": bytes(range(256)) * 9}
    with zipfile.ZipFile(raw, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in contents.items():
            info = zipfile.ZipInfo(name, (2024, 1, 2, 3, 4, 6))
            info.extra = other + owner
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)
    path = os.path.join(os.environ["ORVALIS_TEST_OUTPUT"], "normalize-zip-test.zip")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(raw.getvalue())
    script = os.path.join(os.environ["ORVALIS_SOURCE_DIR"], "packaging", "normalize_zip.py")
    check(subprocess.run([sys.executable, script, path]).returncode == 0, "normalize_zip.py succeeded")
    data = read_bytes(path)
    check(len(data) == len(raw.getvalue()), "same size after normalizing")
    check(data.count(struct.pack("<IBI", 1000, 4, 1001)) == 0, "no owner id left in local or central headers")
    check(data.count(other) == 6, "other extra fields kept in local and central headers")
    with zipfile.ZipFile(path) as z:
        check(z.testzip() is None, "every entry's CRC still matches")
        check(z.namelist() == ["top/C.bin", "top/a.txt", "top/b.txt"], "entries in byte order: %s" % z.namelist())
        for info in z.infolist():
            check(z.read(info) == contents[info.filename], "%s unchanged" % info.filename)
            check(info.date_time == (2024, 1, 2, 3, 4, 6), "%s keeps its time" % info.filename)
            check(owner_ids(info.extra) == [0, 0], "%s owner cleared" % info.filename)
    check(subprocess.run([sys.executable, script, path]).returncode == 0 and read_bytes(path) == data,
          "normalizing twice changes nothing")
    with open(path, "wb") as f:
        f.write(raw.getvalue()[:-30])
    check(subprocess.run([sys.executable, script, path], capture_output=True).returncode == 1,
          "a cut archive is refused")


# --- the installer under Wine ----------------------------------------------------------------------

class Machine:
    """The prefix as a Windows user's machine: its files, its registry and the artefacts to run on it."""

    def __init__(self, s):
        self.s = s
        self.installer = os.environ["ORVALIS_INSTALLER"]
        self.system32 = s.prefix_path("C:\\windows\\system32")
        self.install_dir = s.prefix_path("C:\\Program Files\\Orvalis")
        self.settings = os.path.join(self.system32, "Orvalis.ini")
        self._n = 0

    def wine(self, *args, seconds=60):
        """Runs a Wine command to its end; (exit code, stdout). Output goes through a file: Wine's services
        inherit the descriptors of the program that started them."""
        self._n += 1
        out = self.s.output_path("reg-%03d.out" % self._n)
        with open(out, "wb") as o:
            code = self.s.wine_run(args, o, seconds)
        with open(out, encoding="utf-8", errors="replace") as f:
            text = f.read()
        os.unlink(out)
        return code, text

    def reg_value(self, key, name):
        """The data of a registry value, or None when the value (or its key) does not exist."""
        code, text = self.wine("reg", "query", key, "/v", name)
        if code != 0:
            return None
        for line in text.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def key_exists(self, key):
        return self.wine("reg", "query", key)[0] == 0

    def set_saver(self, path):
        code, _ = self.wine("reg", "add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", path, "/f")
        self.s.check(code == 0, "SCRNSAVE.EXE set to %s" % path)

    def install(self, *args, what="silent install"):
        p = self.s.start(self.installer, "/S", *args, seconds=120, name="setup-%d" % self._next())
        code = p.wait(90)
        self.s.check(code == 0, "%s ended with exit code 0 (got %s)" % (what, code))

    def uninstall_silently(self):
        # The uninstaller copies itself to %TEMP% and returns at once; the copy does the work. It is done
        # when its last step, removing the Add/Remove Programs entry, has happened and it has deleted itself.
        p = self.s.start(os.path.join(self.install_dir, "Uninstall.exe"), "/S", seconds=120,
                         name="uninstall-%d" % self._next())
        self.s.check(p.wait(60) == 0, "uninstaller started and handed over")
        self.s.wait_for(self.uninstalled, 60, "the uninstaller to finish")

    def uninstalled(self):
        return not os.path.exists(self.install_dir) and not self.key_exists(UNINSTALL_KEY)

    def _next(self):
        self._n += 1
        return self._n

    def installed(self, name):
        return os.path.join(self.system32, name)

    def check_installed(self):
        for name in PROGRAMS:
            path = self.installed(name)
            self.s.check(os.path.isfile(path) and read_bytes(path) == read_bytes(self.s.bin_path(name)),
                         "%s in system32 is this build's" % name)
        self.s.check(self.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE").lower() == SAVER_WIN.lower(),
                     "SCRNSAVE.EXE names the installed saver")
        self.s.check(self.reg_value(DESKTOP_KEY, "ScreenSaveActive") == "1", "ScreenSaveActive is 1")
        self.s.check(self.reg_value(UNINSTALL_KEY, "DisplayName") == "Orvalis (ScreenSaver)",
                     "Add/Remove Programs entry named Orvalis (ScreenSaver)")
        self.s.check(self.reg_value(UNINSTALL_KEY, "DisplayVersion") == VERSION, "entry carries the version")
        self.s.check(bool(self.reg_value(UNINSTALL_KEY, "Publisher")), "entry names a publisher")
        uninstall = self.reg_value(UNINSTALL_KEY, "UninstallString").strip('"')
        self.s.check(os.path.isfile(self.s.prefix_path(uninstall)),
                     "UninstallString names an existing uninstaller")
        size_kb = sum(os.path.getsize(self.installed(n)) for n in PROGRAMS) // 1024
        estimated = int(self.reg_value(UNINSTALL_KEY, "EstimatedSize") or "0", 0)
        self.s.check(size_kb <= estimated <= size_kb + 1024,
                     "EstimatedSize %d KB covers the programs (%d KB)" % (estimated, size_kb))
        quiet = self.reg_value(UNINSTALL_KEY, "QuietUninstallString")
        self.s.check(quiet is not None and quiet.endswith(" /S"), "a quiet uninstall command is registered")

    def check_removed(self):
        for name in PROGRAMS:
            self.s.check(not os.path.exists(self.installed(name)), "%s removed from system32" % name)
        self.s.check(not os.path.exists(self.install_dir), "uninstaller folder removed")
        self.s.check(not self.key_exists(UNINSTALL_KEY), "Add/Remove Programs entry removed")


def _wine_run(self, args, out, seconds):
    try:
        return harness.subprocess.run(["timeout", "-k", "5", str(seconds), "wine", *args], env=self.env,
                                      cwd=self.output, stdin=harness.subprocess.DEVNULL, stdout=out,
                                      stderr=harness.subprocess.DEVNULL, timeout=seconds + 10).returncode
    except harness.subprocess.TimeoutExpired:
        return 124


harness.Session.wine_run = _wine_run


def test_silent_install_run_upgrade_uninstall(s):
    m = Machine(s)
    if os.path.exists(m.settings):
        os.unlink(m.settings)
    for name in PROGRAMS:
        s.check(not os.path.exists(m.installed(name)), "%s not yet in system32" % name)
    s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, "no screen saver set before the install")
    # Turned off before: the installer's system-parameters call must turn it on.
    s.check(m.wine("reg", "add", DESKTOP_KEY, "/v", "ScreenSaveActive", "/d", "0", "/f")[0] == 0,
            "screen saver turned off")

    p = s.start(m.installer, "/S", seconds=120, name="setup-traced", env={"WINEDEBUG": "+process"})
    s.check(p.wait(90) == 0, "silent install ended with exit code 0")
    s.check(not elevated_starts(p), "an elevated silent install does the machine's part itself")
    m.check_installed()
    s.check(os.path.isfile(m.settings) and os.path.getsize(m.settings) == 0,
            "an empty Orvalis.ini is ready for the settings dialog")

    # The installed saver, started the way Windows starts it, runs its renderer from beside itself.
    host = s.start(SAVER_WIN, "/s", name="installed-scr")
    window = s.find_window("Orvalis_VC", seconds=45, program=host)
    shot = s.wait_for(lambda: (lambda img: img if cloud_on_screen(img.data_pixels()) else None)(
        s.screenshot("installed-saver")), 30, "particles on the screen")
    s.check(shot.width == 1024, "saver shown full screen")
    s.hold_key(window, "Escape")
    s.check(s.wait_window_gone("Orvalis_VC", 20), "Escape ends the renderer")
    s.check(host.wait(20) is not None, "the installed host ends after its renderer")

    # The user's settings, then an upgrade over the installed copy: the settings stay as they are.
    settings = ("[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\n"
                "BGM\xcc\xa7\xb2\xd9=C:\\music\\loop.wav\r\n").encode("latin-1")
    with open(m.settings, "wb") as f:
        f.write(settings)
    m.set_saver("C:\\windows\\system32\\other.scr")
    m.install(what="second (upgrade) install")
    m.check_installed()
    s.check(read_bytes(m.settings) == settings, "upgrade leaves the user's Orvalis.ini alone")

    m.uninstall_silently()
    m.check_removed()
    s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, "SCRNSAVE.EXE cleared")
    s.check(read_bytes(m.settings) == settings, "silent uninstall keeps the user's Orvalis.ini")


def test_uninstall_clears_only_this_saver(s):
    m = Machine(s)
    if os.path.exists(m.settings):
        os.unlink(m.settings)
    # Windows may hand the path back in another case (or in its short form): still this saver.
    m.install()
    m.set_saver(SAVER_WIN.upper())
    m.uninstall_silently()
    s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, "an upper-case path to Orvalis is cleared")

    # The user chose another saver after installing Orvalis: that choice survives.
    m.install()
    other = "C:\\windows\\system32\\Orvalis2.scr"
    m.set_saver(other)
    m.uninstall_silently()
    m.check_removed()
    s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") == other, "another saver's SCRNSAVE.EXE is kept")
    s.check(m.reg_value(DESKTOP_KEY, "ScreenSaveActive") == "1", "ScreenSaveActive untouched")
    # An Orvalis.ini the installer made and nobody wrote to holds nothing of the user's: it goes too.
    s.check(not os.path.exists(m.settings), "the installer's empty Orvalis.ini is removed")


def test_upgrade_while_the_preview_runs(s):
    m = Machine(s)
    m.install()
    # An older copy (different bytes), held open by the preview in the Screen Saver Settings.
    installed = m.installed("Orvalis.scr")
    with open(installed, "ab") as f:
        f.write(b"older build")
    old = read_bytes(installed)
    area = s.start(s.tool_path("host_preview_parent.exe"), "152", "112", "0", "0", name="area")
    hwnd = s.wait_for(lambda: area.stdout().strip(), 30, "the preview area's handle")
    preview = s.start(SAVER_WIN, "/p", hwnd, name="preview")
    s.wait_for(lambda: (s.win_info("PreviewArea", children=True) or {}).get("children"), 30,
               "the preview in its area")

    p = s.start(m.installer, "/S", seconds=120, name="setup-locked")
    # 3010 (restart needed) as Wine hands it to Unix: the low byte.
    s.check(p.wait(90) == 3010 & 0xFF,
            "an upgrade over a saver in use asks for a restart instead of claiming success")
    s.check(read_bytes(installed) == old, "the copy in use is left alone")
    s.check(read_bytes(installed + ".new") == read_bytes(s.bin_path("Orvalis.scr")),
            "the new copy waits beside it")
    s.check(read_bytes(m.installed("Orvalis.dll")) == read_bytes(s.bin_path("Orvalis.dll")),
            "the renderer, not in use, is replaced at once")

    s.check(s.post("PreviewArea", 0x0010), "preview area closed")
    s.check(area.wait(15) is not None and preview.wait(15) is not None, "preview ended")
    code, _ = m.wine("wineboot", "-r")
    s.check(code == 0, "Windows restarted")
    s.check(read_bytes(installed) == read_bytes(s.bin_path("Orvalis.scr")),
            "after the restart the new copy is in place")
    s.check(not os.path.exists(installed + ".new"), "and the waiting copy is gone")
    m.uninstall_silently()
    m.check_removed()


def wizard_windows(s, title):
    """X ids of the wizard with this title. Its pages add their subtitle after a space, blank on most pages
    and missing on the first and last."""
    r = s._xdotool("search", "--onlyvisible", "--name", "^%s ?$" % re.escape(title))
    return [int(w) for w in r.stdout.split()]


def find_wizard(s, title, seconds=45):
    return s.wait_for(lambda: wizard_windows(s, title), seconds, "the wizard %r" % title)[0]


def press_until_gone(s, title, key, seconds=30):
    """Presses `key` in the wizard until it has gone (its pages' default buttons)."""
    def gone():
        ids = wizard_windows(s, title)
        if ids:
            s.key(ids[0], key)
            return False
        return True
    s.wait_for(gone, seconds, "the wizard %r to close" % title, interval=1)


def elevated_starts(program):
    """The command lines of the elevated second instances a traced installer or uninstaller started."""
    with open(program.stderr_path, encoding="utf-8", errors="replace") as f:
        return re.findall(r"trace:process:CreateProcessInternalW .*?(L\".*/MACHINE[^\n]*)", f.read())


def test_install_and_uninstall_by_hand(s):
    m = Machine(s)
    setup = "Orvalis (ScreenSaver) Setup"
    title = "Orvalis (ScreenSaver) Uninstall"
    s.check(m.wine("reg", "add", DESKTOP_KEY, "/v", "ScreenSaveActive", "/d", "0", "/f")[0] == 0,
            "screen saver turned off")

    # The wizard runs as the user; the machine's part runs in the elevated instance it starts and waits for.
    trace = {"WINEDEBUG": "+process"}
    installer = s.start(m.installer, seconds=120, name="setup-ui", env=trace)
    window = find_wizard(s, setup)
    s.screenshot("setup-welcome")
    # Install on the welcome page; the files page moves on by itself; Finish on the last page.
    s.key(window, "Return")
    s.wait_for(lambda: m.key_exists(UNINSTALL_KEY), 60, "the installation")
    s.screenshot("setup-finished")
    press_until_gone(s, setup, "Return")
    s.check(installer.wait(30) == 0, "installer ended with exit code 0")
    m.check_installed()
    starts = elevated_starts(installer)
    s.log("elevated instances: %s" % starts)
    s.check(len(starts) == 1 and r"/S /MACHINE /D=C:\\Program Files\\Orvalis" in starts[0],
            "the wizard started one silent elevated instance for the machine's part")
    with open(m.settings, "wb") as f:
        f.write(b"[Section]\r\nBGM\x8b\xe6\x95\xaa=1\r\n")
    uninstaller = s.start(os.path.join(m.install_dir, "Uninstall.exe"), seconds=120, name="uninstall-ui",
                          env=trace)
    s.check(uninstaller.wait(60) == 0, "uninstaller started and handed over")
    window = find_wizard(s, title)
    s.screenshot("uninstall-confirm")
    s.key(window, "Return")
    # The question about the settings file is a message box with the bare title.
    s.find_window(title, seconds=45)
    s.screenshot("uninstall-question")
    s.check(os.path.exists(m.settings), "settings still there while the question is open")
    # Its text runs over several lines, which the window lister cannot report: answer with the keyboard.
    s.key(s.find_window(title), "alt+y")
    s.wait_for(lambda: not os.path.exists(m.settings), 30, "Orvalis.ini deleted after Yes")
    s.wait_for(m.uninstalled, 60, "the uninstaller to finish")
    m.check_removed()
    # The user's own value goes after the elevated instance has ended.
    s.wait_for(lambda: m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, 30, "SCRNSAVE.EXE cleared")
    s.screenshot("uninstall-finished")
    press_until_gone(s, title, "Return")
    starts = elevated_starts(uninstaller)
    s.log("elevated instances: %s" % starts)
    s.check(len(starts) == 1 and r"/S /MACHINE /DELETESETTINGS _?=C:\\Program Files\\Orvalis" in starts[0],
            "the uninstaller started one elevated instance, told to delete the settings")


def test_a_failed_machine_part_stops_the_wizard(s):
    m = Machine(s)
    setup = "Orvalis (ScreenSaver) Setup"
    s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, "no screen saver set before the install")
    # A folder where the readme goes: the elevated instance cannot write it and ends with an error.
    blocker = os.path.join(m.install_dir, "ReadMe.txt")
    os.makedirs(blocker)
    try:
        installer = s.start(m.installer, seconds=120, name="setup-fails")
        window = find_wizard(s, setup)
        s.key(window, "Return")
        # The wizard's message, owned by it and under the same title.
        box = s.wait_for(lambda: [w for w in wizard_windows(s, setup) if w != window], 60,
                         "the message about the failed part")[0]
        s.screenshot("setup-machine-part-failed")
        s.key(box, "Return")
        press_until_gone(s, setup, "Return")
        code = installer.wait(30)
        s.check(code not in (None, 0), "the wizard ends with an error (exit code %s)" % code)
        s.check(m.reg_value(DESKTOP_KEY, "SCRNSAVE.EXE") is None, "the user's screen saver is left alone")
    finally:
        os.rmdir(blocker)
    # A run that can write its folder then installs as usual over what the failed one left.
    m.install(what="install after the failure")
    m.check_installed()
    m.uninstall_silently()
    m.check_removed()


if __name__ == "__main__":
    if sys.argv[1:2] == ["--no-wine"]:
        runner.main(globals(), argv=sys.argv[2:])
    harness.main(globals())
