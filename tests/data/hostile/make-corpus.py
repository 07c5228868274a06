#!/usr/bin/env python3
"""Writes the hostile corpus beside this script: packages, projects and scripts, and string tables that
lie, overlap, explode, run on or break off, with manifest.tsv saying how the program must take each.

    python3 tests/data/hostile/make-corpus.py

Every file is made here from code, deterministically; running the script again gives the same bytes.
Files larger than 64 KiB are stored gzip-compressed under their name + ".gz"; the corpus test expands
them before use. Inputs whose names begin with "@" are special files the test makes itself (a pipe, a
device, a folder): git cannot hold them.

manifest.tsv columns: file, kind (package, project, table), read (accept or refuse: opening, showing,
validating and building, or loading the table), extract (accept, refuse, or target when the extraction
must stop at the target folder; "-" for what is no package), target ("links" when the extraction goes
into a folder that already holds links; else "-"), and what the input tries.
"""

import bz2
import gzip
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
GZIP_ABOVE = 64 * 1024
STUB_SIZE = 409600
HEADER_OFFSET = 512000
ZIP_TIME = (0x6000, 0x5A87)  # 12:00:00, 2025-04-07 in DOS form

MANIFEST = []


def emit(name, data, kind, read, extract="-", target="-", what=""):
    assert "\t" not in what and "\n" not in what
    if data is not None:
        stored = name
        if len(data) > GZIP_ABOVE:
            stored = name + ".gz"
            data = gzip.compress(data, compresslevel=9, mtime=0)
        with open(os.path.join(HERE, stored), "wb") as out:
            out.write(data)
    MANIFEST.append((name, kind, read, extract, target, what))


# ---- Zip archives, byte by byte ------------------------------------------------------------------

class Entry:
    """One archive entry and the lies it tells."""

    def __init__(self, name, data=b"", method=0, **lies):
        self.name = name.encode("utf-8", "surrogateescape") if isinstance(name, str) else name
        self.data = data
        self.method = method
        self.lies = lies

    def stored(self):
        if "stored" in self.lies:
            return self.lies["stored"]
        if self.method == 8:
            c = zlib.compressobj(9, zlib.DEFLATED, -15)
            return c.compress(self.data) + c.flush()
        if self.method == 12:
            return bz2.compress(self.data, 9)
        return self.data


def zip_bytes(entries, comment=b"", count=None, directory_offset_delta=0, disk=0, zip64=False,
              zip64_count=None, locator_delta=0, trailing=b"", prefix=b""):
    out = bytearray(prefix)
    directory = bytearray()
    offsets = []
    for e in entries:
        lies = e.lies
        stored = e.stored()
        crc = lies.get("crc", zlib.crc32(e.data) & 0xFFFFFFFF)
        size = lies.get("size", len(e.data))
        csize = lies.get("csize", len(stored))
        flags = lies.get("flags", 0)
        descriptor = lies.get("descriptor", False)
        if descriptor:
            flags |= 0x0008
        local_name = lies.get("local_name", e.name)
        local_method = lies.get("local_method", e.method)
        local_size = lies.get("local_size", size)
        if "shares" in lies:
            offset = offsets[lies["shares"]]
        else:
            offset = len(out) - len(prefix) + lies.get("offset_delta", 0)
            wide_local = lies.get("wide_local", False)
            extra = lies.get("local_extra", b"")
            if wide_local:
                extra += struct.pack("<HHQQ", 1, 16, local_size, csize)
            out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 45 if wide_local else 20, flags, local_method,
                               ZIP_TIME[0], ZIP_TIME[1], 0 if descriptor else crc,
                               0xFFFFFFFF if wide_local else (0 if descriptor else csize),
                               0xFFFFFFFF if wide_local else (0 if descriptor else local_size),
                               len(local_name), len(extra))
            out += local_name + extra + stored
            if descriptor:
                out += struct.pack("<IIII", 0x08074B50, lies.get("descriptor_crc", crc), csize, size)
        offsets.append(offset)
        extra = lies.get("extra", b"")
        wide = lies.get("wide", ())
        central_size, central_csize, central_offset = size, csize, offset
        wide_fields = b""
        if "size" in wide:
            central_size = 0xFFFFFFFF
            wide_fields += struct.pack("<Q", size)
        if "csize" in wide:
            central_csize = 0xFFFFFFFF
            wide_fields += struct.pack("<Q", csize)
        if "offset" in wide:
            central_offset = 0xFFFFFFFF
            wide_fields += struct.pack("<Q", offset)
        if wide:
            extra += struct.pack("<HH", 1, len(wide_fields) + lies.get("wide_short", 0)) + wide_fields
        attributes = lies.get("attributes", (0o100644 << 16))
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, (3 << 8) | 45, 20, flags, e.method,
                                 ZIP_TIME[0], ZIP_TIME[1], crc, central_csize, central_size, len(e.name),
                                 len(extra), 0, lies.get("disk", 0), 0, attributes, central_offset)
        directory += e.name + extra
    directory_offset = len(out) - len(prefix)
    out += directory
    n = len(entries) if count is None else count
    if zip64:
        record_offset = len(out) - len(prefix)
        n64 = n if zip64_count is None else zip64_count
        out += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, n64, n64, len(directory),
                           directory_offset + directory_offset_delta)
        out += struct.pack("<IIQI", 0x07064B50, 0, record_offset + locator_delta, 1)
        out += struct.pack("<IHHHHIIH", 0x06054B50, disk, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, len(comment))
    else:
        out += struct.pack("<IHHHHIIH", 0x06054B50, disk, 0, n & 0xFFFF, n & 0xFFFF, len(directory),
                           (directory_offset + directory_offset_delta) & 0xFFFFFFFF, len(comment))
    out += comment + trailing
    return bytes(out)


def deflate_zeros(total, chunk=1 << 20):
    """A raw deflate stream of total zero bytes, made without holding them."""
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    zeros = bytes(chunk)
    parts = []
    left = total
    while left:
        n = min(left, chunk)
        parts.append(c.compress(zeros[:n]))
        left -= n
    parts.append(c.flush())
    return b"".join(parts), zlib.crc32(b"", 0)


def crc_of_zeros(total, chunk=1 << 20):
    crc = 0
    zeros = bytes(chunk)
    left = total
    while left:
        n = min(left, chunk)
        crc = zlib.crc32(zeros[:n], crc)
        left -= n
    return crc & 0xFFFFFFFF


# ---- packages ------------------------------------------------------------------------------------

def counted(text):
    data = text.encode("utf-8", "surrogateescape") if isinstance(text, str) else text
    n = len(data)
    if n < 0xFF:
        return bytes([n]) + data
    if n < 0xFFFE:
        return b"\xFF" + struct.pack("<H", n) + data
    return b"\xFF\xFF\xFF" + struct.pack("<I", n) + data


def package(names, archive, command='"site.qst"', padded=True, version=1.0, stub_size=None, count=None,
            length=None, raw_names=None):
    names_bytes = raw_names if raw_names is not None else b"".join(counted(n) for n in names)
    n = len(names) if count is None else count
    body = struct.pack("<I", n) + names_bytes + counted(command)
    body += struct.pack("<I", len(archive) if length is None else length) + archive
    if padded:
        s = STUB_SIZE if stub_size is None else stub_size
        stub = b"MZ" + bytes(STUB_SIZE - 2)
        return stub + b"a" * (HEADER_OFFSET - STUB_SIZE) + struct.pack("<dI", version, s) + body
    stub = b"MZ" + bytes(62)
    s = len(stub) if stub_size is None else stub_size
    return stub + body + struct.pack("<dI", version, s)


# ---- scripts -------------------------------------------------------------------------------------

def script(printers=(), extra_sections="", count=None, head=None):
    text = head if head is not None else "[SOFTWARE]\r\nFILE=Pellora\r\nVER=2.02\r\nDATE=\r\nDESCRIPTION=\r\n"
    text += "[ETC]\r\nLOGFILE=KOVAINST.LOG\r\nAUTOCOMPLETE=1\r\nTESTPAGE_TITLE=Print Test Page\r\n"
    text += "[PRINTER]\r\nCOUNT=%s\r\n" % (len(printers) if count is None else count)
    for i, keys in enumerate(printers, 1):
        text += "[PRINTER%d]\r\n" % i
        for key, value in keys:
            text += "%s=%s\r\n" % (key, value)
    return (text + extra_sections).encode("utf-8", "surrogateescape")


def printer(name="Hall", model="RX-C3400", address="10.0.0.7", folder="/srv/drivers/c3400", **more):
    keys = [("PRN_ADDRESS", address), ("MODELNAME", model), ("PRINTERNAME", name), ("USE_FOLDER", "1"),
            ("FOLDER_PATH", folder), ("PRN_INSTMODE", "1")]
    keys += list(more.items())
    return keys


GOOD_PROJECT = script([printer()])


def good_members():
    return [Entry("site.qst", GOOD_PROJECT, 8), Entry("SETTING/QIF1_000.QIF", b"[QIF]\r\nA=1\r\n"),
            Entry("DRIVER_000/000/PRINTER.INF", b"[Version]\r\nClass=Printer\r\n" * 40, 8)]


def package_of(entries, **options):
    return package(["site.qst", "SETTING", "DRIVER_000"], zip_bytes(entries, **options))


TABLE_TEXT = ("[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=0\r\n"
              "[String Table]\r\n1=Project\r\n2=Printer\r\n5=The file cannot be opened.\r\n"
              "[Pellorix.exe\\MESSAGE]\r\nCANNOT_OPEN=5:5\r\n[Pellorix.exe\\ETC]\r\nNEW=1:1\r\n").encode()


def table_of(entries, **options):
    return zip_bytes(entries, **options)


# ---- the archive lies, each both in a package and in a string table ------------------------------

def archive_cases():
    """(name, entries-or-bytes maker, read verdict) for both containers; makers take the good members."""
    cases = []

    def add(name, verdict, make, what):
        cases.append((name, verdict, make, what))

    gib = 1 << 30
    bomb_stream, _ = deflate_zeros(gib)
    bomb_crc = crc_of_zeros(gib)
    add("lying-size-bomb", "refuse",
        lambda m: [m[0], Entry("zeros.bin", b"", 8, stored=bomb_stream, size=1024, crc=bomb_crc)] + m[1:],
        "an entry that declares 1 KiB and inflates to 1 GiB, with the checksum of the whole")
    add("lying-size-bomb-wrong-crc", "refuse",
        lambda m: [m[0], Entry("zeros.bin", b"", 8, stored=bomb_stream, size=1024, crc=0)] + m[1:],
        "an entry that declares 1 KiB and inflates to 1 GiB")
    add("honest-bomb", "refuse",
        lambda m: m + [Entry("zeros.bin", b"", 8, stored=bomb_stream, size=gib, crc=bomb_crc)],
        "1 GiB of zeros in 1 MiB, sizes told honestly: beyond the ratio")
    mib_stream, _ = deflate_zeros(1 << 20)
    mib_crc = crc_of_zeros(1 << 20)

    def overlap_bomb(m):
        first = Entry("z/0000.bin", b"", 8, stored=mib_stream, size=1 << 20, crc=mib_crc)
        return [m[0], first] + [Entry("z/0000.bin", b"", 8, stored=mib_stream, size=1 << 20, crc=mib_crc, shares=1)
                                for _ in range(1023)]
    add("overlap-bomb", "refuse", overlap_bomb,
        "1,024 directory records sharing one compressed stream: 50 KB that expands to 1 GiB")

    def nested_overlap(m):
        inner = Entry("inner.txt", b"inner data " * 50)
        inner_bytes = zip_bytes([inner])[:30 + len(inner.name) + len(inner.data)]
        outer = Entry("outer.bin", b"head" + inner_bytes)
        # The second record points into the first entry's data, at the local header it quotes.
        return [m[0], outer, Entry("inner.txt", inner.data, offset_delta=-(len(inner_bytes)))] + m[1:]
    add("overlap-quoted", "refuse", nested_overlap, "one entry's data quotes a second entry's local header and data")
    add("two-records-one-header", "refuse",
        lambda m: [m[0], m[1], Entry(m[1].name, m[1].data, shares=1)] + m[2:],
        "two directory records point at the same local data")
    add("local-name-differs", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"harmless", local_name=b"../../evil.txt")] + m[1:],
        "the local header names another file than the directory")
    add("local-method-differs", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"text " * 100, 8, local_method=0)] + m[1:],
        "the local header gives another compression method")
    add("local-size-differs", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"text " * 100, 8, local_size=7)] + m[1:],
        "the local header gives another size")
    add("descriptor-differs", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"text " * 100, 8, descriptor=True, descriptor_crc=1)] + m[1:],
        "a data descriptor whose checksum is not the directory's")
    add("descriptor-honest", "accept",
        lambda m: [m[0], Entry("SETTING/a.txt", b"text " * 100, 8, descriptor=True)] + m[1:],
        "sizes in a data descriptor after the data")
    add("crc-stored", "refuse", lambda m: [m[0], Entry("SETTING/a.txt", b"stored text", crc=0x1234)] + m[1:],
        "a stored entry whose checksum is wrong")
    add("crc-deflated", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"deflated text " * 100, 8, crc=0x1234)] + m[1:],
        "a deflated entry whose checksum is wrong")
    add("size-short", "refuse", lambda m: [m[0], Entry("SETTING/a.txt", b"x" * 1000, 8, size=2000)] + m[1:],
        "an entry that declares more than its data holds")
    add("stored-sizes-differ", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"x" * 100, size=50, csize=100)] + m[1:],
        "a stored entry with two different sizes")
    add("csize-into-directory", "refuse",
        lambda m: [m[0], Entry("SETTING/a.txt", b"x" * 100, csize=100000)] + m[1:],
        "an entry whose data would reach into the directory")
    for label, name in [("parent", "../evil.txt"), ("absolute", "/etc/evil.txt"), ("climb", "a/../../evil.txt"),
                        ("drive", "C:evil.txt"), ("unc", "\\\\server\\share\\evil.txt"),
                        ("climb-backslash", "a\\..\\..\\evil.txt"), ("parent-backslash", "..\\evil.txt"),
                        ("long-part", "SETTING/" + "n" * 300)]:
        add("path-" + label, "refuse", lambda m, name=name: m + [Entry(name, b"payload")], "entry name " + name[:60])
    add("name-with-nul", "refuse", lambda m: m + [Entry(b"SETTING/ok.txt\x00../../evil", b"payload")],
        "an entry name with a NUL byte inside")
    add("symlink-entry", "refuse",
        lambda m: m + [Entry("SETTING/link", b"../../../etc/passwd", attributes=(0o120777 << 16))],
        "an entry that is a symbolic link")
    add("encrypted-entry", "refuse", lambda m: m + [Entry("SETTING/secret.txt", b"x" * 24, flags=1)],
        "an encrypted entry")
    add("unknown-method", "refuse", lambda m: m + [Entry("SETTING/odd.bin", b"data", 99)],
        "an entry in a compression method nobody knows")
    add("case-collision", "accept",
        lambda m: m + [Entry("DRIVER_000/000/Printer.inf", b"one"), Entry("DRIVER_000/000/PRINTER.INF", b"two")],
        "names that differ only in letter case")
    add("device-names", "accept",
        lambda m: m + [Entry(n, b"device") for n in ["SETTING/CON", "SETTING/NUL.txt", "SETTING/aux/x", "SETTING/COM1"]],
        "names of Windows devices")
    add("duplicate-name", "accept",
        lambda m: m + [Entry("SETTING/twice.txt", b"first"), Entry("SETTING/twice.txt", b"second")],
        "one name twice, the data apart")
    add("folder-with-data", "accept", lambda m: m + [Entry("SETTING/folder/", b"data of a folder")],
        "a folder entry that carries data")
    add("file-then-folder", "refuse",
        lambda m: m + [Entry("SETTING/x", b"a file"), Entry("SETTING/x/inside.txt", b"below a file")],
        "a name used as a file and then as a folder")
    add("bzip2-honest", "accept", lambda m: m + [Entry("SETTING/b.txt", b"bzip2 text " * 200, 12)],
        "an honest bzip2 entry")
    add("bzip2-bomb", "refuse",
        lambda m: m + [Entry("SETTING/b.bin", bytes(64 << 20), 12)],
        "64 MiB of zeros in a few hundred bytes of bzip2")
    add("invalid-utf8-name", "accept", lambda m: m + [Entry(b"SETTING/\xff\xfe\x80name.txt", b"odd name")],
        "an entry name that is no UTF-8")
    deep = "/".join(chr(ord("a") + level % 26) * 95 for level in range(82)) + "/deep.txt"
    add("deep-path", "accept", lambda m: m + [Entry("SETTING/" + deep, b"deep")],
        "one path of 82 folders and about 8,000 characters")
    add("empty-file", "accept", lambda m: m + [Entry("SETTING/empty.txt", b"")], "an empty file")
    add("zip64-honest", "accept",
        lambda m: [m[0], Entry("SETTING/w.txt", b"wide", wide=("size", "csize", "offset"), wide_local=True)] + m[1:],
        "Zip64 fields in the directory and the local header")
    add("zip64-extra-short", "refuse",
        lambda m: [m[0], Entry("SETTING/w.txt", b"wide", wide=("size", "csize"), wide_short=-8)] + m[1:],
        "a Zip64 field too short for the sizes it stands for")
    add("zip64-missing", "refuse",
        lambda m: [m[0], Entry("SETTING/w.txt", b"wide", size=0xFFFFFFFF)] + m[1:],
        "a saturated size without a Zip64 field")
    add("disk-number", "refuse", lambda m: [m[0], Entry("SETTING/d.txt", b"disk", disk=3)] + m[1:],
        "an entry on another disk")
    return cases


def archive_layout_cases(members):
    """Lies of the archive's end records and cuts, as bytes."""
    good = zip_bytes(members)
    cases = [
        ("count-more", zip_bytes(members, count=len(members) + 1), "an end record that counts one entry more"),
        ("count-less", zip_bytes(members, count=len(members) - 1), "an end record that counts one entry less"),
        ("count-huge", zip_bytes(members, count=0xFFFF), "an end record that counts 65,535 entries"),
        ("directory-offset", zip_bytes(members, directory_offset_delta=-10), "a directory offset 10 bytes early"),
        ("comment-long", good[:-2] + struct.pack("<H", 200), "an end record whose comment runs past the end"),
        ("comment-short", zip_bytes(members, comment=b"a comment", trailing=b"garbage after the comment"),
         "bytes after the end record's comment"),
        ("multi-disk", zip_bytes(members, disk=1), "an archive that spans disks"),
        ("zip64-count", zip_bytes(members, zip64=True, zip64_count=len(members) + 5),
         "a Zip64 end record that counts other entries"),
        ("zip64-locator", zip_bytes(members, zip64=True, locator_delta=8), "a Zip64 locator pointing past its record"),
        ("zip64-honest-end", zip_bytes(members, zip64=True), "honest Zip64 end records"),
        ("prefixed", zip_bytes(members, prefix=b"MZ" + bytes(1000)), "data before the archive that offsets leave out"),
        ("fake-end-in-comment", zip_bytes(members, comment=b"PK\x05\x06" + bytes(18)),
         "an end record inside the comment of the real one"),
        ("empty-archive", zip_bytes([]), "an archive without entries"),
        ("not-zip", b"This is no archive at all.\r\n" * 10, "text where the archive should be"),
    ]
    for fraction in (1, 10, 30, 50, 70, 90, 99):
        cut = len(good) * fraction // 100
        cases.append(("cut-%02d" % fraction, good[:cut], "the archive cut off at %d%%" % fraction))
    cases.append(("cut-end-record", good[:-5], "the end record cut short"))
    return cases


def verdict_of_layout(name):
    return "accept" if name in ("zip64-honest-end",) else "refuse"


def extract_verdict_of_layout(name):
    # A package whose archive holds nothing unpacks to nothing, but has no project to open.
    return "accept" if name in ("zip64-honest-end", "empty-archive") else "refuse"


# ---- the corpus ----------------------------------------------------------------------------------

def make_packages_and_tables():
    def table_members():
        return [Entry("String.txt", TABLE_TEXT, 8), Entry("sub/notes.txt", b"notes"), Entry("sub/more.txt", b"more")]

    for name, verdict, make, what in archive_cases():
        emit("zip-%s.exe" % name, package_of(make(good_members())), "package", verdict, verdict, "-", what)
        emit("zip-%s.dat" % name, table_of(make(table_members())), "table", verdict, what=what)
    for name, data, what in archive_layout_cases(good_members()):
        emit("zip-%s.exe" % name, package(["site.qst", "SETTING", "DRIVER_000"], data), "package",
             verdict_of_layout(name), extract_verdict_of_layout(name), "-", what)
    for name, data, what in archive_layout_cases(table_members()):
        emit("zip-%s.dat" % name, data, "table", verdict_of_layout(name), what=what)

    archive = zip_bytes(good_members())
    names = ["site.qst", "SETTING", "DRIVER_000"]
    whole = package(names, archive)
    emit("pkg-good.exe", whole, "package", "accept", "accept", what="a package as the program builds it")
    emit("pkg-old-layout.exe", package(names, archive, padded=False), "package", "accept", "accept",
         what="the older layout with a trailer")
    body_start = HEADER_OFFSET + 12
    for label, at in [("stub", 100000), ("padding", 450000), ("version", HEADER_OFFSET + 4), ("count", body_start + 2),
                      ("names", body_start + 8), ("command", body_start + 4 + 28 + 3),
                      ("length", body_start + 4 + 9 + 8 + 11 + 11 + 2), ("archive", len(whole) - 100)]:
        emit("pkg-cut-in-%s.exe" % label, whole[:at], "package", "refuse", "refuse",
             what="the package cut off in its " + label)
    emit("pkg-version-2.exe", package(names, archive, version=2.0), "package", "refuse", "refuse",
         what="format version 2.0")
    emit("pkg-stub-size-0.exe", package(names, archive, stub_size=0), "package", "refuse", "refuse",
         what="a stub size of 0")
    emit("pkg-stub-size-huge.exe", package(names, archive, padded=False, stub_size=0x7FFFFFFF), "package", "refuse",
         "refuse", what="a stub larger than the file")
    emit("pkg-count-huge.exe", package(names, archive, count=0xFFFFFFFF), "package", "refuse", "refuse",
         what="4,294,967,295 entries announced")
    emit("pkg-count-more.exe", package(names, archive, count=50), "package", "refuse", "refuse",
         what="more entries announced than names follow")
    emit("pkg-name-length-huge.exe", package(names, archive, raw_names=b"\xFF\xFF\xFF\xFF\xFF\xFF\x7F" + b"x" * 100),
         "package", "refuse", "refuse", what="a counted string that claims 2 GiB")
    emit("pkg-name-wide.exe", package(names, archive, raw_names=b"\xFF\xFE\xFF\x08" + "site.qst".encode("utf-16-le")
                                       + counted("SETTING") + counted("DRIVER_000")),
         "package", "accept", "accept", what="a wide counted string among the names, read as the format allows")
    emit("pkg-name-too-long.exe", package(["n" * 5000, "site.qst"], archive), "package", "refuse", "refuse",
         what="an entry name of 5,000 characters")
    for label, bad in [("climb", "../site.qst"), ("folder", "a/site.qst"), ("empty", ""), ("dot", "."),
                       ("dotdot", ".."), ("nul", "site.qst\x00x"), ("backslash", "..\\site.qst")]:
        emit("pkg-name-%s.exe" % label, package([bad, "site.qst"], archive), "package", "refuse", "refuse",
             what="an entry name that is no plain name: " + label)
    emit("pkg-command-huge.exe", package(names, archive, command="c" * 70000), "package", "refuse", "refuse",
         what="a command string of 70,000 characters")
    emit("pkg-length-beyond.exe", package(names, archive, length=len(archive) + 1000), "package", "refuse", "refuse",
         what="an archive length beyond the end of the file")
    emit("pkg-length-zero.exe", package(names, archive, length=0), "package", "refuse", "refuse",
         what="an archive length of 0")
    emit("pkg-no-entries.exe", package([], archive), "package", "refuse", "refuse", what="a package that lists nothing")
    emit("pkg-no-project.exe", package(["SETTING", "DRIVER_000"], zip_bytes(good_members()[1:])), "package",
         "refuse", "accept", what="a package without a project")
    emit("pkg-project-is-folder.exe", package(names, zip_bytes([Entry("site.qst/inner.txt", b"x")] + good_members()[1:])),
         "package", "refuse", "accept", what="the project's name is a folder in the archive")
    second = script([printer(name="Second")])
    emit("pkg-two-projects.exe", package(["first.qst", "second.qst"], zip_bytes(
        [Entry("first.qst", GOOD_PROJECT), Entry("second.qst", second)])), "package", "accept", "accept",
         what="two projects: the first listed is read")
    emit("pkg-project-not-script.exe", package(names, zip_bytes([Entry("site.qst", b"no script")] + good_members()[1:])),
         "package", "refuse", "accept", what="the project inside is no script")
    emit("pkg-many-entries.exe", package(names, zip_bytes([Entry("site.qst", GOOD_PROJECT)] +
                                                          [Entry("SETTING/%06d" % i) for i in range(100001)])),
         "package", "refuse", "refuse", what="100,002 entries, more than the limit")
    emit("pkg-links-in-target.exe", whole, "package", "accept", "target", "links",
         what="extracted where SETTING is a link to a folder elsewhere and site.qst a link to a file elsewhere")
    emit("pkg-file-link-in-target.exe", package(["site.qst"], zip_bytes([Entry("site.qst", GOOD_PROJECT)])), "package",
         "accept", "accept", "links", what="extracted where site.qst is a link to a file elsewhere")
    emit("@pipe.exe", None, "package", "refuse", "refuse", what="a named pipe")
    emit("@device.exe", None, "package", "refuse", "refuse", what="a character device")
    emit("@folder.exe", None, "package", "refuse", "refuse", what="a folder")

    emit("table-good.dat", zip_bytes(table_members()), "table", "accept", what="a table as the build makes it")
    header = "[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=0\r\n"
    tables = [
        ("type", False, "[File Info]\r\nType=Other Table\r\nVersion=5.0\r\nLocale=0\r\n", "another type"),
        ("version", False, "[File Info]\r\nType=Tessaris String Table\r\nVersion=4.0\r\nLocale=0\r\n", "another version"),
        ("locale", False, "[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=407\r\n",
         "another language"),
        ("no-header", False, "[String Table]\r\n1=x\r\n", "no File Info section"),
        ("self-ranges", True, header + "[String Table]\r\n1=a\r\n[Pellorix.exe\\S]\r\nA=1:1-4000000000\r\n"
                                       "B=2:2,2,2-1,0-2\r\nC=0x7FFFFFFF:C\r\n", "items whose ranges cover every number"),
        ("text-ids-beyond", False, header + "[String Table]\r\n" + "".join("%d=t\r\n" % i for i in range(1, 2001))
         + "[Pellorix.exe\\S]\r\n" + "".join("K%d=%d:1-2000\r\n" % (i, i) for i in range(2200)),
         "4.4 million text numbers in all"),
        ("long-line", True, header + "[String Table]\r\n1=" + "x" * 1000000 + "\r\n", "a text of 1,000,000 bytes"),
        ("nul-bytes", True, header + "[String Table]\r\n1=a\x00b\r\n\x00\x00\x00\r\n[Pellorix.exe\\S]\r\nA\x00=1:1\r\n",
         "NUL bytes in texts and names"),
        ("bad-utf8", True, header + "[String Table]\r\n1=\xff\xfe\xc3\x28\xe2\x82\r\n", "malformed UTF-8"),
        ("utf16-odd", True, None, "UTF-16 with an odd last byte and unpaired surrogates"),
        ("too-large", False, header + "[String Table]\r\n" + ("9=" + "y" * 1000 + "\r\n") * 4300, "a text file beyond 4 MiB"),
        ("sections-many", True, header + "".join("[Pellorix.exe\\S%d]\r\nA=1:1\r\n" % i for i in range(20000)),
         "20,000 sections"),
    ]
    for label, ok, text, what in tables:
        if text is None:
            data = b"\xff\xfe" + header.encode("utf-16-le") + "[String Table]\r\n1=\ud800x\udc00\r\n".encode(
                "utf-16-le", "surrogatepass") + b"\x41"
        else:
            data = text.encode("latin-1") if isinstance(text, str) else text
        emit("table-%s.dat" % label, zip_bytes([Entry("String.txt", data, 8)]), "table", "accept" if ok else "refuse",
             what=what)
    emit("table-two-files.dat", zip_bytes([Entry("A.txt", b"[File Info]\r\nType=none\r\n"), Entry("String.txt", TABLE_TEXT)]),
         "table", "accept", what="two files: the last by name is read")
    emit("table-nested-only.dat", zip_bytes([Entry("sub/String.txt", TABLE_TEXT)]), "table", "refuse",
         what="the text only in a folder of the archive")
    emit("table-many-files.dat", zip_bytes([Entry("f%03d.txt" % i, b"x") for i in range(300)]), "table", "refuse",
         what="300 files, more than a table may hold")
    emit("@pipe.dat", None, "table", "refuse", what="a named pipe as the table")


def make_projects():
    emit("qst-good.qst", GOOD_PROJECT, "project", "accept", what="a project as the program writes it")
    emit("qst-good-lf.qsm", GOOD_PROJECT.replace(b"\r\n", b"\n"), "project", "accept", what="line feeds only")
    emit("qst-bom.qst", b"\xef\xbb\xbf" + GOOD_PROJECT, "project", "accept", what="a UTF-8 byte-order mark")
    emit("qst-cr-only.qst", GOOD_PROJECT.replace(b"\r\n", b"\r"), "project", "refuse",
         what="carriage returns only: one line")
    emit("qst-wrong-version.qst", GOOD_PROJECT.replace(b"VER=2.02", b"VER=2.01"), "project", "refuse",
         what="another script version")
    emit("qst-wrong-title.qst", GOOD_PROJECT.replace(b"FILE=Pellora", b"FILE=Other"), "project", "refuse",
         what="another program's script")
    emit("qst-empty.qst", b"", "project", "refuse", what="an empty file")
    emit("qst-binary.qst", bytes(range(256)) * 64, "project", "refuse", what="binary bytes")
    emit("qst-count-huge.qst", script([printer()], count="2147483647"), "project", "accept",
         what="COUNT of 2,147,483,647 with one printer section")
    emit("qst-count-negative.qst", script([printer()], count="-5"), "project", "accept", what="a negative COUNT")
    emit("qst-count-overflow.qst", script([printer()], count="99999999999999999999"), "project", "accept",
         what="a COUNT beyond every integer")
    emit("qst-utility-count-huge.qst", script([printer(UTILITY_COUNT="2147483647", UTILITY_FOLDER_COUNT="2147483647")]),
         "project", "accept", what="utility counts of 2,147,483,647")
    utilities = [("UTILITY_COUNT", "10000")]
    utilities += [("UTILITY%d" % j, ".\\..\\Tool%05d\\setup.exe" % j) for j in range(1, 10001)]
    utilities += [("UTILITY_FOLDER_COUNT", "10000")]
    utilities += [("UTILITY_FOLDER%d" % j, "/nonexistent/utilities/folder%05d/" % j) for j in range(1, 5001)]
    utilities += [("UTILITY_FOLDER%d" % j, "/usr/share/doc/folder%05d" % j) for j in range(5001, 10001)]
    emit("qst-utilities-10000x10000.qst", script([printer(**dict(utilities))]), "project", "accept",
         what="10,000 relative utility paths against 10,000 utility folders")
    emit("qst-utilities-empty-folders.qst", script([printer(**dict(
        [("UTILITY_COUNT", "10000"), ("UTILITY_FOLDER_COUNT", "10000")] +
        [("UTILITY%d" % j, ".\\..\\Tool%05d\\setup.exe" % j) for j in range(1, 10001)]))]), "project", "accept",
         what="10,000 relative utility paths against 10,000 utility folders that are all empty texts")
    blank_head = script([printer()])
    emit("qst-blank-lines-30mib.qst", blank_head + b"\r\n" * (15 << 20), "project", "accept",
         what="30 MiB of blank lines after a valid script")
    emit("qst-blank-lines-before.qst", b"\n" * (30 << 20) + GOOD_PROJECT, "project", "accept",
         what="30 MiB of blank lines before the first section")
    emit("qst-beyond-64mib.qst", GOOD_PROJECT + b"\n" * ((64 << 20) + 1), "project", "refuse",
         what="a script larger than 64 MiB")
    emit("qst-keys-200000.qst", script([printer()], extra_sections="[NOISE]\r\n" + "".join(
        "K%07d=1\r\n" % i for i in range(200000))), "project", "accept", what="200,000 distinct keys")
    emit("qst-sections-100000.qst", script([printer()], extra_sections="".join("[S%d]\r\nA=1\r\n" % i for i in range(100000))),
         "project", "accept", what="100,000 sections")
    emit("qst-printers-5000.qst", script([printer(name="P%d" % i) for i in range(5000)]), "project", "accept",
         what="5,000 printers")
    emit("qst-long-line.qst", script([printer(COMMENT="c" * (4 << 20))]), "project", "accept",
         what="a value of 4 MiB on one line")
    emit("qst-long-key.qst", script([printer()], extra_sections="[X]\r\n" + "k" * (1 << 20) + "=v\r\n"), "project",
         "accept", what="a key of 1 MiB")
    emit("qst-nul-bytes.qst", GOOD_PROJECT.replace(b"PRINTERNAME=Hall", b"PRINTERNAME=Ha\x00ll\r\nCOMMENT=\x00\x00")
         + b"[\x00]\r\n\x00=\x00\r\n", "project", "accept", what="NUL bytes in values, keys and section names")
    emit("qst-bad-utf8.qst", GOOD_PROJECT.replace(b"PRINTERNAME=Hall", b"PRINTERNAME=\xff\xfe\xc3\x28\xe2\x82"),
         "project", "accept", what="malformed UTF-8 in a printer name")
    emit("qst-duplicates.qst", GOOD_PROJECT + b"[PRINTER1]\r\nMODELNAME=Other\r\n[SOFTWARE]\r\nVER=9\r\n", "project",
         "accept", what="sections and keys given twice")
    emit("qst-blocks-missing.qst", script([printer(CUSTOM_VDW3="7", CONFIRM="2147483647", SECURITY="99")]), "project",
         "accept", what="option sections that are not there")
    hostile_values = ("[CUSTOM1]\r\nEnableMonitoring=dword:zz\r\nInterval=hex:0,1,2,3,gg\r\nName=hex(2):41,00,4\r\n"
                      "Odd=hex(7):" + ",".join(["ff"] * 5000) + "\r\n[CONFIRM1]\r\nProtocolID=dword:ffffffffff\r\n"
                      "PortName=\"\r\nQueue=hex:" + ",".join(["00"] * 70000) + "\r\n[SECURITY1]\r\nMode=-2147483649\r\n")
    emit("qst-blocks-hostile.qst", script([printer(CUSTOM_VDW3="1", CONFIRM="1", SECURITY="1")],
                                          extra_sections=hostile_values), "project", "accept",
         what="option sections with malformed and huge registry values")
    emit("qst-model-unlisted.qst", script([printer(model="NOT A MODEL"), printer(name="B")]), "project", "accept",
         what="a printer of a model that is not listed")
    emit("qst-cdrom-utilities.qst", script([printer(UTILITY_COUNT="3", UTILITY1="CDROM:\\x\\setup.exe",
                                                    UTILITY2="CDROM", UTILITY3="CDRO")]), "project", "accept",
         what="utility paths on CD-ROM drives, some too short")
    emit("qst-search-cdrom.qst", script([printer(UTILITY_COUNT="1", UTILITY1=".\\..\\/dev/zero",
                                                 UTILITY_SEARCH_CDROM="1")]), "project", "accept",
         what="a relative utility path that names a device, compared byte by byte")
    emit("qst-logfile.qst", GOOD_PROJECT.replace(b"LOGFILE=KOVAINST.LOG", b"LOGFILE=" + b"L" * 5000), "project",
         "accept", what="a log file name of 5,000 characters")
    emit("@pipe.qst", None, "project", "refuse", what="a named pipe")
    emit("@device.qsm", None, "project", "refuse", what="a character device")
    emit("@folder.qst", None, "project", "refuse", what="a folder")


def main():
    for name in os.listdir(HERE):
        if name not in ("make-corpus.py",):
            os.remove(os.path.join(HERE, name))
    make_packages_and_tables()
    make_projects()
    names = [m[0] for m in MANIFEST]
    assert len(names) == len(set(names)), "two inputs of one name"
    with open(os.path.join(HERE, "manifest.tsv"), "w", newline="\n") as out:
        out.write("# file\tkind\tread\textract\ttarget\twhat (written by make-corpus.py)\n")
        for row in MANIFEST:
            out.write("\t".join(row) + "\n")
    print("%d inputs" % len(MANIFEST), file=sys.stderr)


if __name__ == "__main__":
    main()
