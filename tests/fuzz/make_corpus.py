#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/NAME beside this script (run from
anywhere): for options, the reference flat blocks packed here field by field (independently
of the C++ code) plus a double-byte one; for allocation_failure, records in
the input format of allocation_failure_fuzzer.cpp; for recipient_text, texts with capacities."""
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


# ---- records in the input format of allocation_failure_fuzzer.cpp ----

def text(s):
    if s is None:
        return b"\x00"
    if len(s) < 64:
        return bytes([1 | len(s) << 2]) + s
    return b"\x02" + bytes([len(s)]) + s


def repeated(length, chunk):
    return b"\x07" + struct.pack("<HB", length, len(chunk)) + chunk


NO_ID = b"\x00"


def size_without_bytes(size):
    return b"\x01" + struct.pack("<I", size)


def id_bytes(data):
    return b"\x02" + bytes([len(data)]) + data


def counting_id(size, first):
    return b"\x03" + struct.pack("<HB", size, first)


def record(texts_, entries=(), double_byte=False):
    out = bytes([1 if double_byte else 0]) + b"".join(texts_)
    count = len(entries)
    out += bytes([count]) if count < 255 else b"\xff" + struct.pack("<H", count - 255)
    for reserved, recip_class, name, address, ident in entries:
        out += struct.pack("<II", reserved, recip_class) + name + address + ident
    return out


def records():
    empty = [text(b"")] * 7
    yield "all_null", record([text(None)] * 7)
    yield "all_empty", record(empty)
    yield "one_recipient", record([text(b"Ann")] + empty[1:],
                                  [(0, 1, text(b"Ann"), text(b"SMTP:a@b.c"), id_bytes(bytes(range(0xE0, 0xF0))))])
    yield "identifiers_1252", record(
        [text(b"Ann; Bob"), text(None), text(b""), text("Grüße €".encode("cp1252")), text(b"Hi\r\n"),
         text(b"Outlook"), text(b"pw")],
        [(5, 1, text("Jürgen".encode("cp1252")), text(b"SMTP:j@x"), id_bytes(b"\x01\xff\x00")),
         (0, 3, text(None), text(None), size_without_bytes(7)),
         (0, 2, text(b"Cy"), text(None), id_bytes(b"")),
         (0, 0, text(b"Di"), text(None), counting_id(300, 0xF0))])
    # A lead byte with a trail, a lone lead at the end, and one before a non-trail byte.
    yield "double_byte", record(
        [text(b"\x81\x40\x81\x41ab\x9f"), text(b"\x81\x0a"), text(b"\x80\xa0"), text(None), text(b""),
         text(None), text(None)],
        [(0, 2, text(b"\x82\x50"), text(b"q\x9f"), NO_ID)], double_byte=True)
    # 65535 bytes exactly, then one byte more; wide, the strings pass 65535 from 32724 on.
    for length in (65454, 65455, 32723, 32724):
        yield "message_%d" % length, record(empty[:4] + [repeated(length, b"m")] + empty[5:])
    yield "identifier_filling_the_block", record(empty, [(0, 1, text(None), text(None), counting_id(65535 - 81 - 40, 0))])
    yield "many_entries", record(empty, [(i, i % 4, text(b"n%d" % i), text(None), NO_ID) for i in range(300)])


# ---- recipient texts: capacity choice, stop choice, flags, text ----

def recipient_texts():
    def seed(capacity, text_, stop=0, flags=0):
        return struct.pack("<HBB", capacity, stop, flags) + text_
    yield "trims_and_skips", seed(200, b"  sales ;;support  ;")
    yield "separators_only", seed(5, b"; ;  ;;")
    yield "tabs_stay", seed(30, b"Ann\t; \tBob", stop=1, flags=1)
    yield "exact_fit", seed(9, b"Ann;Bob")
    yield "one_short", seed(8, b"Ann;Bob;Cy", flags=1)
    yield "no_room", seed(0, b"Ann")


def write(target, seeds):
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", target)
    os.makedirs(here, exist_ok=True)
    for name, data in seeds:
        with open(os.path.join(here, name + ".bin"), "wb") as f:
            f.write(bytes(data))


def main():
    write("options", blocks())
    # The failing allocation's choice comes first: the first allocation, and a later one.
    write("allocation_failure", (("%s_%d" % (name, choice), struct.pack("<H", choice) + data)
                                 for name, data in records() for choice in (0, 7)))
    write("recipient_text", recipient_texts())


if __name__ == "__main__":
    main()
