#!/usr/bin/env python3
"""Makes a ZIP written by CPack independent of the machine and the user that built it.

    normalize_zip.py ARCHIVE

CPack adds the staged files in the order the file system lists them, and records the builder's user and group
ids (the 0x7875 extra field of every entry). This puts the entries in byte order of their names and sets both
ids to 0 (root, as in Debian packages), moving each entry's bytes unchanged: the compressed data, CRCs and
time stamps stay as CPack wrote them. Time stamps come from SOURCE_DATE_EPOCH, which CPack honours.
Only single-disk archives without ZIP64 records are accepted (ours are a few megabytes).
"""

import os
import struct
import sys

EOCD = struct.Struct("<IHHHHIIH")
CENTRAL = struct.Struct("<IHHHHHHIIIHHHHHII")
LOCAL = struct.Struct("<IHHHHHIIIHH")
EOCD_SIG, CENTRAL_SIG, LOCAL_SIG = 0x06054B50, 0x02014B50, 0x04034B50
OWNER_FIELD = 0x7875


class ZipError(Exception):
    pass


def clear_owner(extra):
    """The extra field with the uid and gid of any 0x7875 subfield set to zero (same length)."""
    out = bytearray(extra)
    i = 0
    while i + 4 <= len(out):
        field, size = struct.unpack_from("<HH", out, i)
        body = i + 4
        if body + size > len(out):
            raise ZipError("extra field runs past its entry")
        if field == OWNER_FIELD and size >= 1:
            j = body + 1  # version byte
            for _ in ("uid", "gid"):
                if j >= body + size:
                    raise ZipError("short owner field")
                n = out[j]
                if j + 1 + n > body + size:
                    raise ZipError("owner id runs past its field")
                out[j + 1:j + 1 + n] = bytes(n)
                j += 1 + n
        i = body + size
    return bytes(out)


def normalize(data):
    end = data.rfind(struct.pack("<I", EOCD_SIG), max(0, len(data) - 65557))
    if end < 0 or end + EOCD.size > len(data):
        raise ZipError("no end of central directory")
    sig, disk, cd_disk, n_disk, n_total, cd_size, cd_offset, comment_len = EOCD.unpack_from(data, end)
    if disk or cd_disk or n_disk != n_total or n_total == 0xFFFF or 0xFFFFFFFF in (cd_size, cd_offset):
        raise ZipError("multi-disk or ZIP64 archives are not supported")
    if cd_offset + cd_size != end:
        raise ZipError("central directory is not where the end record says")

    entries = []  # (name, central header fields, central name+extra+comment, local offset)
    pos = cd_offset
    for _ in range(n_total):
        fields = list(CENTRAL.unpack_from(data, pos))
        if fields[0] != CENTRAL_SIG:
            raise ZipError("bad central directory entry at %d" % pos)
        name_len, extra_len, comment_len = fields[10], fields[11], fields[12]
        tail = pos + CENTRAL.size
        name = data[tail:tail + name_len]
        extra = clear_owner(data[tail + name_len:tail + name_len + extra_len])
        comment = data[tail + name_len + extra_len:tail + name_len + extra_len + comment_len]
        entries.append((name, fields, name + extra + comment, fields[16]))
        pos = tail + name_len + extra_len + comment_len
    if pos != end:
        raise ZipError("central directory size does not match its entries")

    # Each entry's bytes (local header, data, data descriptor) run up to the next entry or the directory.
    starts = sorted(e[3] for e in entries) + [cd_offset]
    if starts[0] != 0 or len(set(starts)) != len(starts):
        raise ZipError("entries do not tile the archive")
    span_end = {s: starts[i + 1] for i, s in enumerate(starts[:-1])}

    body, central = bytearray(), bytearray()
    for name, fields, rest, offset in sorted(entries, key=lambda e: e[0]):
        blob = bytearray(data[offset:span_end[offset]])
        local = LOCAL.unpack_from(blob, 0)
        if local[0] != LOCAL_SIG:
            raise ZipError("bad local header of %r" % name)
        name_len, extra_len = local[9], local[10]
        if bytes(blob[LOCAL.size:LOCAL.size + name_len]) != name:
            raise ZipError("local and central names differ: %r" % name)
        extra_at = LOCAL.size + name_len
        blob[extra_at:extra_at + extra_len] = clear_owner(blob[extra_at:extra_at + extra_len])
        fields[16] = len(body)
        central += CENTRAL.pack(*fields) + rest
        body += blob
    new_cd_offset = len(body)
    body += central
    body += EOCD.pack(sig, 0, 0, n_total, n_total, len(central), new_cd_offset, comment_len)
    body += data[end + EOCD.size:end + EOCD.size + comment_len]
    return bytes(body)


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path = argv[1]
    with open(path, "rb") as f:
        data = f.read()
    try:
        out = normalize(data)
    except ZipError as e:
        print("normalize_zip.py: %s: %s" % (path, e), file=sys.stderr)
        return 1
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
