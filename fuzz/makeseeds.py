#!/usr/bin/env python3
"""Writes the fuzzers' seed inputs into fuzz/corpus/<target>/.

Small, valid files of every kind each reader takes, so that the fuzzer starts
from deep inside the readers instead of having to find the headers first.
Run it again only to change the seeds; the files are committed.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bitmap(width, height, bits, info_size=40, compression=0, masks=None, top_down=False,
           palette=None, colours_used=None, row=None, reserved=0):
    """A Windows bitmap; row(y) gives the pixel bytes of stored row y."""
    stride = (width * bits + 31) // 32 * 4
    pixels = b"".join(row(y).ljust(stride, b"\0") for y in range(height))
    if info_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        used = len(palette) if palette and colours_used is None else (colours_used or 0)
        info = struct.pack("<IiiHHIIiiII", info_size, width, -height if top_down else height, 1,
                           bits, compression, len(pixels), 2835, 2835, used, 0)
        extra = b""
        if info_size >= 52 or masks:
            extra = struct.pack("<4I", *(list(masks or [0, 0, 0, 0]) + [0] * 4)[:4])
        if info_size == 40:
            # Masks after a plain header only with bit fields: three, or four
            # with alpha bit fields.
            if compression == 3:
                info += extra[:12]
            elif compression == 6:
                info += extra
        else:
            info += extra[: info_size - 40]
            if info_size >= 108:
                # 'sRGB' colour space, no end points, no gamma.
                info += b"BGRs" + b"\0" * 36 + b"\0" * 12
            if info_size == 124:
                info += struct.pack("<IIII", 4, 0, 0, 0)  # intent, no profile
    table = b""
    if palette:
        for (r, g, b) in palette:
            table += bytes([b, g, r]) + (b"" if info_size == 12 else b"\0")
    offset = 14 + len(info) + len(table)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), reserved, 0, offset)
    return header + info + table + pixels


def grey(n):
    return [(i * 255 // max(n - 1, 1),) * 3 for i in range(n)]


def pattern(width, bytes_per_pixel):
    def row(y):
        return bytes((x * 37 + y * 11 + c * 5) & 0xFF
                     for x in range(width) for c in range(bytes_per_pixel))
    return row


def packed(width, bits):
    def row(y):
        values = [(x + y) % (1 << bits) for x in range(width)]
        out = bytearray((width * bits + 7) // 8)
        for x, v in enumerate(values):
            bit = x * bits
            out[bit // 8] |= v << (8 - bits - bit % 8)
        return bytes(out)
    return row


BITMAPS = {
    "rgb24": bitmap(5, 3, 24, row=pattern(5, 3)),
    "rgb24-topdown": bitmap(4, 3, 24, top_down=True, row=pattern(4, 3), reserved=95),
    "rgb32": bitmap(3, 2, 32, row=pattern(3, 4)),
    "bitfields32-v4-alpha": bitmap(3, 3, 32, 108, 3, [0xFF0000, 0xFF00, 0xFF, 0xFF000000],
                                   row=pattern(3, 4), reserved=0x0201),
    "bitfields32-v5-topdown": bitmap(2, 3, 32, 124, 3, [0xFF0000, 0xFF00, 0xFF, 0xFF000000],
                                     top_down=True, row=pattern(2, 4), reserved=0x0A),
    "bitfields32-1010102": bitmap(3, 2, 32, 40, 3, [0x3FF00000, 0xFFC00, 0x3FF],
                                  row=pattern(3, 4)),
    "rgb32-v5-alpha": bitmap(2, 2, 32, 124, 0, [0, 0, 0, 0xFF000000], row=pattern(2, 4),
                             reserved=0x0300),
    "bitfields16-565": bitmap(5, 2, 16, 40, 3, [0xF800, 0x07E0, 0x001F], row=pattern(5, 2)),
    "rgb16-555": bitmap(3, 2, 16, row=pattern(3, 2), reserved=0x0400),
    "alphabitfields16-4444": bitmap(3, 2, 16, 40, 6, [0x0F00, 0x00F0, 0x000F, 0xF000],
                                    row=pattern(3, 2), reserved=0x0500),
    "bitfields16-56": bitmap(3, 2, 16, 56, 3, [0x7C00, 0x03E0, 0x001F, 0x8000],
                             row=pattern(3, 2)),
    "indexed1": bitmap(9, 2, 1, palette=[(0, 0, 0), (255, 255, 255)], row=packed(9, 1)),
    "indexed2": bitmap(5, 2, 2, palette=grey(4), row=packed(5, 2)),
    "indexed4-topdown": bitmap(5, 3, 4, palette=grey(16), top_down=True, row=packed(5, 4),
                               reserved=0x0600),
    "indexed8-short-palette": bitmap(4, 2, 8, palette=grey(8),
                                     row=lambda y: bytes((x + y) % 8 for x in range(4))),
    "os2-indexed8": bitmap(3, 2, 8, 12, palette=grey(6), row=lambda y: bytes([y, 5, 2])),
    "os2-rgb24": bitmap(2, 2, 24, 12, row=pattern(2, 3)),
}

SETTINGS = {
    "cp932": ("/home/user/SWData\r\n 1 \r\n 0 \r\nﾕｰｻﾞｰ名\r\n山田,佐藤,\r\n 1 \r\nJPG\r\n"
              " 7日前\r\nPDF\r\n 0 \r\n1200\r\n3000\r\n").encode("cp932"),
    "utf8-bom": b"\xef\xbb\xbf" + ("/tmp/😀\r\n 2 \r\n-1 \r\n日付\r\n\r\n-1 \r\nPNG\r\n"
                                   "しない\r\n\r\n 1 \r\n\r\n\r\n").encode("utf-8"),
    "odd-lines": b"/\r 1.5\r\n+0.5 \n\r\x83\x5c\x95\x5c\r,,\r32767\r\r\r\r-32768\rA\rB\rC\rD",
}

TEXTS = {
    "cp932": ("会議の議事録\r\nﾃｷｽﾄ自動保存\r\n①②③ ～ ￢ ∵\r\n").encode("cp932"),
    "utf8-bom": b"\xef\xbb\xbf" + "a😀\rb\nc\r\n¥~\r\n".encode("utf-8"),
    "mixed": b"abc\r\ndef\rghi\njkl\r\r\n\x81\x40\x82\xa0\xed\x40\xfa\x5c\x83",
}


def write(target, files):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    write("fuzz_bmptojpeg", BITMAPS)
    write("fuzz_bmptopng", BITMAPS)
    write("fuzz_settings", SETTINGS)
    write("fuzz_previewtext", TEXTS)
