#!/usr/bin/env python3
"""Writes the seed corpus of options_fuzzer: the reference flat blocks, packed here field by
field (independently of the C++ code), plus a double-byte one. Run from anywhere; the files
land beside this script in corpus/."""
import os
import struct

TEXT_FIELDS = (2, 10, 18, 26, 34, 52, 60)


def header(flat_size, string_bytes, id_bytes, count, struct_size=70):
    b = bytearray(flat_size)
    struct.pack_into("<H", b, 0, struct_size)
    struct.pack_into("<H", b, 42, count)
    struct.pack_into("<HHH", b, 68, flat_size, string_bytes, id_bytes)
    return b


def texts(b, offsets):
    for field, offset in zip(TEXT_FIELDS, offsets):
        struct.pack_into("<Q", b, field, offset)


def entry(b, row, recip_class, name, address, id_size, entry_id, reserved=0):
    struct.pack_into("<IIQQIIQ", b, row, reserved, recip_class, name, address, id_size, 0, entry_id)


def wide(s):
    return (s + "\0").encode("utf-16-le")


def put(b, at, data):
    b[at:at + len(data)] = data


def blocks():
    ident = bytes(range(0xE0, 0xF0))

    empty81 = header(81, 7, 0, 0)
    texts(empty81, range(74, 81))
    yield "empty_ansi_81", empty81

    empty_wide88 = header(88, 14, 0, 0)
    texts(empty_wide88, range(74, 88, 2))
    yield "empty_wide_88", empty_wide88

    empty88 = header(88, 14, 0, 0)
    texts(empty88, range(74, 81))
    yield "empty_ansi_88", empty88

    one155 = header(155, 25, 16, 1)
    put(one155, 74, b"Ann\0")
    texts(one155, (74, 78, 79, 80, 81, 82, 83))
    struct.pack_into("<Q", one155, 44, 84)
    entry(one155, 84, 1, 124, 128, 16, 139)
    put(one155, 124, b"Ann\0")
    put(one155, 128, b"SMTP:a@b.c\0")
    put(one155, 139, ident)
    yield "one_recipient_ansi_155", one155

    one180 = header(180, 50, 16, 1)
    put(one180, 74, wide("Ann"))
    texts(one180, (74, 82, 84, 86, 88, 90, 92))
    struct.pack_into("<Q", one180, 44, 94)
    entry(one180, 94, 1, 134, 142, 16, 164)
    put(one180, 134, wide("Ann"))
    put(one180, 142, wide("SMTP:a@b.c"))
    put(one180, 164, ident)
    yield "one_recipient_wide_180", one180

    # structSize 71: the fuzzer reads its low bit as "use the double-byte code page".
    dbcs = header(144, 30, 0, 1, struct_size=71)
    put(dbcs, 74, wide("\u4e00\u4e01\u4e02"))
    put(dbcs, 82, wide("ab"))
    put(dbcs, 88, wide("\u4e03x"))
    texts(dbcs, (74, 82, 0, 88, 0, 0, 0))
    struct.pack_into("<Q", dbcs, 44, 94)
    entry(dbcs, 94, 2, 134, 140, 0, 0)
    put(dbcs, 134, wide("\u4e04\u4e05"))
    put(dbcs, 140, wide("q"))
    yield "double_byte_wide_144", dbcs


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(here, exist_ok=True)
    for name, data in blocks():
        with open(os.path.join(here, name + ".bin"), "wb") as f:
            f.write(bytes(data))


if __name__ == "__main__":
    main()
