#!/usr/bin/env python3
"""Writes the packed-bundle sample files of the tests.

Independent of the engine's writer: the layout is built here byte by byte.
Run from this folder; the files are checked in, so this is needed only to
change them.

Layout: header (signature CE DE ED EC, version 1, directory offset, 0, 0),
file data, then the directory: entry count, 16-byte entries {flags, data
offset, size, name offset} sorted by name (ASCII letters as lower case, other
bytes by value), name pool size, pool of NUL-terminated names in the order
they were added.
"""
import struct

FOLDER = 1
LOWER = bytes.maketrans(b"ABCDEFGHIJKLMNOPQRSTUVWXYZ", b"abcdefghijklmnopqrstuvwxyz")


def u32(value):
    return struct.pack("<I", value)


def build(items, signature=0xECEDDECE):
    """items: (name, data or None for a folder) in the order they were added."""
    data = b""
    pool = b""
    entries = []
    for name, content in items:
        raw = name.encode("utf-8")
        name_offset = len(pool)
        pool += raw + b"\0"
        if content is None:
            entries.append((raw, FOLDER, 0, 0, name_offset))
        else:
            entries.append((raw, 0, 20 + len(data), len(content), name_offset))
            data += content
    entries.sort(key=lambda e: e[0].translate(LOWER))
    directory = u32(len(entries))
    for _, flags, offset, size, name_offset in entries:
        directory += u32(flags) + u32(offset) + u32(size) + u32(name_offset)
    directory += u32(len(pool)) + pool
    header = u32(signature) + u32(1) + u32(20 + len(data)) + u32(0) + u32(0)
    return header + data + directory


def write(name, content):
    with open(name, "wb") as f:
        f.write(content)


# Folder "a" created first, then a/b.txt with 5 bytes: 75 bytes in all.
example = build([("a", None), ("a/b.txt", b"hello")])
assert len(example) == 75
write("example.dat", example)

write("empty.dat", build([]))

write("mixed-case.dat", build([
    ("scripts", None),
    ("scripts/main.lua", b"print('packed')\n"),
    ("Textures", None),
    ("Textures/Logo.PNG", b"\x89PNG"),
    ("Textures/UI", None),
    ("Textures/UI/Button.png", b"button"),
    ("README", b"read me\n"),
]))

# '_' sorts before the letters only when letters are folded to lower case.
write("sort-order.dat", build([
    ("Zebra.txt", b"Z"),
    ("_intro.txt", b"_"),
    ("Ba.txt", b"Ba"),
    ("B_c.txt", b"B_c"),
    ("alpha.txt", b"a"),
    ("ALPHA_2.txt", b"A2"),
    ("[x].txt", b"["),
    ("~end.txt", b"~"),
]))

# Damaged files.
good = build([("a", None), ("a/b.txt", b"hello")])
write("bad-signature.dat", build([("x.txt", b"x")], signature=0x12345678))
write("short-header.dat", good[:12])
# Entry count that would need about 4 GiB of entries.
write("huge-count.dat", good[:25] + u32(0x0FFFFFFF) + good[29:])
# Directory offset past the end of the file.
write("directory-past-end.dat", good[:8] + u32(1000) + good[12:])
# Second entry's name offset past the pool.
write("name-past-pool.dat", good[:25 + 4 + 16 + 12] + u32(500) + good[25 + 4 + 32:])
# Pool whose last name lacks its NUL.
write("pool-unterminated.dat", good[:-1] + b"x")
# Second entry's data runs past the directory.
write("data-past-end.dat", good[:25 + 4 + 16 + 8] + u32(4000) + good[25 + 4 + 16 + 12:])
