"""Release artefacts are rebuilt bit for bit: two copies of this tree in different folders, each packaged by
scripts/package in a different time zone, umask and locale, give byte-identical Orvalis.scr, Orvalis.dll, ZIP,
installer and SHA256SUMS, the programs carry the release time stamp, and SHA256SUMS checks out.

    reproducible_test.py WORK_DIR

Environment: ORVALIS_SOURCE_DIR (the tree to copy), ORVALIS_SOURCE_DATE_EPOCH (the release time stamp of
the tree). The copies stay in WORK_DIR when the test fails, for a closer look.
"""

import os
import shutil
import struct
import subprocess
import sys
import time

VERSION = "1.00.0001"
ARTEFACTS = ("build/windows/bin/Orvalis.scr", "build/windows/bin/Orvalis.dll",
             "out/Orvalis-%s-win64.zip" % VERSION, "out/Orvalis-%s-win64-setup.exe" % VERSION,
             "out/orvalis_%s_amd64.deb" % VERSION, "out/SHA256SUMS")
# The second copy's folder differs in depth and length, and its build runs elsewhere in the world.
COPIES = (("first/src", {"TZ": "UTC", "LC_ALL": "C.UTF-8"}, 0o022),
          ("second-folder/a-longer-name/orvalis", {"TZ": "JST-9", "LC_ALL": "C"}, 0o077))
SKIPPED_DIRS = {".git", "build", "out"}


class TestFailure(Exception):
    pass


def tree_files(source):
    """The tree's files as git sees them (tracked and new, not ignored), or all of them but builds and out/."""
    try:
        listed = subprocess.run(["git", "-C", source, "ls-files", "-z", "--cached", "--others",
                                 "--exclude-standard"], check=True, capture_output=True).stdout
        names = [n for n in listed.decode().split("\0") if n]
        return [n for n in names if os.path.isfile(os.path.join(source, n))]
    except (OSError, subprocess.CalledProcessError):
        names = []
        for top, dirs, files in os.walk(source):
            dirs[:] = [d for d in dirs if not (top == source and d in SKIPPED_DIRS)]
            names += [os.path.relpath(os.path.join(top, f), source) for f in files]
        return names


def copy_tree(source, dest, names):
    for name in names:
        target = os.path.join(dest, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(os.path.join(source, name), target)


def package(copy, env_extra, umask, epoch):
    env = dict(os.environ, SOURCE_DATE_EPOCH=epoch, CMAKE_BUILD_PARALLEL_LEVEL="2", **env_extra)
    env.pop("ORVALIS_WINDOWS_BUILD", None)
    log = os.path.join(copy, "package.log")
    started = time.monotonic()
    with open(log, "wb") as out:
        rc = subprocess.run(["scripts/package"], cwd=copy, env=env, stdout=out, stderr=subprocess.STDOUT,
                            preexec_fn=lambda: os.umask(umask), timeout=1200).returncode
    if rc != 0:
        with open(log, "rb") as f:
            sys.stdout.write(f.read().decode(errors="replace")[-4000:])
        raise TestFailure("scripts/package failed in %s (exit %d)" % (copy, rc))
    print("packaged %s in %.0f s" % (copy, time.monotonic() - started), flush=True)


def differing_ranges(a, b):
    """[start, end) byte ranges where a and b differ, the longer file's tail counting as one range."""
    ranges, start = [], None
    for i in range(min(len(a), len(b))):
        if a[i] != b[i]:
            if start is None:
                start = i
        elif start is not None:
            ranges.append((start, i))
            start = None
    if start is not None:
        ranges.append((start, min(len(a), len(b))))
    if len(a) != len(b):
        ranges.append((min(len(a), len(b)), max(len(a), len(b))))
    return ranges


def describe(name, a, b):
    ranges = differing_ranges(a, b)
    lines = ["%s differs: %d against %d bytes, %d bytes in %d ranges" %
             (name, len(a), len(b), sum(e - s for s, e in ranges), len(ranges))]
    for s, e in ranges[:20]:
        lines.append("  offsets 0x%x-0x%x (%d bytes): %s / %s" %
                     (s, e - 1, e - s, a[s:min(e, s + 8)].hex(), b[s:min(e, s + 8)].hex()))
    if len(ranges) > 20:
        lines.append("  ... %d more ranges" % (len(ranges) - 20))
    return "\n".join(lines)


def pe_time_stamp(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise TestFailure("not a PE file")
    return struct.unpack_from("<I", data, pe + 8)[0]


def main(argv):
    work = os.path.abspath(argv[1])
    source = os.environ["ORVALIS_SOURCE_DIR"]
    epoch = os.environ["ORVALIS_SOURCE_DATE_EPOCH"]
    shutil.rmtree(work, ignore_errors=True)
    names = tree_files(source)
    if "scripts/package" not in names:
        raise TestFailure("no scripts/package among the %d files copied from %s" % (len(names), source))

    copies = []
    for folder, env_extra, umask in COPIES:
        copy = os.path.join(work, folder)
        copy_tree(source, copy, names)
        package(copy, env_extra, umask, epoch)
        copies.append(copy)

    failures = []
    for name in ARTEFACTS:
        a, b = (open(os.path.join(c, name), "rb").read() for c in copies)
        if a != b:
            failures.append(describe(name, a, b))
        else:
            print("ok: %s identical (%d bytes)" % (name, len(a)), flush=True)
        if name.endswith((".scr", ".dll")) and pe_time_stamp(a) != int(epoch):
            failures.append("%s: PE time stamp %d, not the release time %s" % (name, pe_time_stamp(a), epoch))

    out = os.path.join(copies[0], "out")
    sums = open(os.path.join(out, "SHA256SUMS")).read().split("\n")
    listed = sorted(line.split("  ", 1)[1] for line in sums if line)
    downloads = sorted(n for n in os.listdir(out) if n != "SHA256SUMS")
    if listed != downloads:
        failures.append("SHA256SUMS lists %s, out/ holds %s" % (listed, downloads))
    check = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=out, capture_output=True)
    if check.returncode != 0:
        failures.append("sha256sum -c SHA256SUMS failed:\n" + check.stdout.decode() + check.stderr.decode())

    if failures:
        raise TestFailure("\n".join(failures) + "\nthe two builds are kept in " + work)
    print("ok: SHA256SUMS covers %s and checks out" % ", ".join(downloads))
    shutil.rmtree(work)


if __name__ == "__main__":
    try:
        main(sys.argv)
    except TestFailure as e:
        print("FAIL: %s" % e, flush=True)
        sys.exit(1)
