#!/usr/bin/env python3
"""Writes the seed corpus of the picture decoder fuzz targets: small picture files built byte by
byte from their record layouts (bmp, gif, jpg, ico and cur into picture_raster/, emf into
picture_emf/, wmf into picture_wmf/), each a few hundred bytes at most.

Usage: fuzz/make_picture_seeds.py [corpus folder, default fuzz/corpus next to this script]
"""
import os
import struct
import sys

RED, GREEN, BLUE, WHITE = 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF  # COLORREF: 0x00BBGGRR


def u16(*values):
    return struct.pack("<%dH" % len(values), *values)


def i16(*values):
    return struct.pack("<%dh" % len(values), *values)


def u32(*values):
    return struct.pack("<%dI" % len(values), *values)


def i32(*values):
    return struct.pack("<%di" % len(values), *values)


# ---- bmp -------------------------------------------------------------------------------------

def info_header(width, height, bits, compression=0, image_bytes=0, colours=0, dpm=2835):
    return i32(40, width, height) + u16(1, bits) + u32(compression, image_bytes) + \
        i32(dpm, dpm) + u32(colours, 0)


def row_pad(row):
    return row + b"\0" * (-len(row) % 4)


def bmp(width, height, bits, pixels, palette=b"", compression=0):
    """pixels: the pixel array as stored (bottom row first, rows already padded)."""
    offset = 14 + 40 + len(palette)
    header = info_header(width, height, bits, compression, len(pixels), len(palette) // 4)
    return b"BM" + u32(offset + len(pixels), 0, offset) + header + palette + pixels


def bmp_seeds():
    seeds = {}
    # 24-bit, 3 x 2: rows of blue, green, red and white, black, red (BGR order).
    rows = [bytes([255, 0, 0, 0, 255, 0, 0, 0, 255]), bytes([255, 255, 255, 0, 0, 0, 0, 0, 255])]
    seeds["rgb24.bmp"] = bmp(3, 2, 24, b"".join(row_pad(r) for r in rows))
    # 8-bit with a four-colour palette, 4 x 4, stored top-down (negative height).
    palette = u32(0x000000, 0x0000FF, 0x00FF00, 0xFF0000)
    pixels = b"".join(bytes([(x + y) % 4 for x in range(4)]) for y in range(4))
    seeds["pal8_topdown.bmp"] = bmp(4, -4, 8, pixels, palette)
    # 8-bit run-length encoded, 6 x 2: a run, an absolute run, end of line, end of bitmap.
    rle = bytes([6, 1, 0, 0]) + bytes([0, 4, 2, 3, 2, 3, 2, 1, 0, 1])
    seeds["rle8.bmp"] = bmp(6, 2, 8, rle, palette, compression=1)
    # 32-bit with explicit channel masks (BITFIELDS), 2 x 2.
    masks = u32(0x00FF0000, 0x0000FF00, 0x000000FF)
    pixels = u32(0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF)
    offset = 14 + 40 + len(masks)
    header = info_header(2, 2, 32, 3, len(pixels))
    seeds["bitfields32.bmp"] = b"BM" + u32(offset + len(pixels), 0, offset) + header + masks + pixels
    return seeds


# ---- gif -------------------------------------------------------------------------------------

def lzw_uncompressed(indices, code_size=2):
    """LZW data that never grows past the first code width: a clear code every two pixels."""
    clear, end = 1 << code_size, (1 << code_size) + 1
    width = code_size + 1
    codes = []
    for i, index in enumerate(indices):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(index)
    codes.append(end)
    bits, nbits, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes([code_size]) + blocks + b"\0"


def gif_seeds():
    colours = bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])  # black, red, green, blue
    seeds = {}
    # 4 x 4 with a global colour table, a transparent colour and two frames.
    b = b"GIF89a" + u16(4, 4) + bytes([0x81, 0, 0]) + colours
    for first in (1, 2):
        b += bytes([0x21, 0xF9, 4, 1, 10, 0, 0, 0])
        b += bytes([0x2C]) + u16(0, 0, 4, 4) + b"\0"
        b += lzw_uncompressed([(first + x + y) % 4 for y in range(4) for x in range(4)])
    seeds["two_frames.gif"] = b + b";"
    # 6 x 5 interlaced frame with a local colour table inside a larger screen, and a comment.
    b = b"GIF87a" + u16(8, 8) + bytes([0, 0, 0])
    b += bytes([0x21, 0xFE, 4]) + b"seed" + b"\0"
    b += bytes([0x2C]) + u16(1, 2, 6, 5) + bytes([0xC1]) + colours
    b += lzw_uncompressed([(x * y) % 4 for y in range(5) for x in range(6)])
    seeds["interlaced_local.gif"] = b + b";"
    return seeds


# ---- jpg -------------------------------------------------------------------------------------

def marker(code, payload):
    return bytes([0xFF, code]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg(components, width, height):
    """Baseline JPEG whose every block is flat (DC difference 0, then end of block)."""
    dc_counts = bytes([0, 1, 5, 1, 1, 1, 1, 1, 1] + [0] * 7)
    dc_values = bytes(range(12))
    ac_counts = bytes([1] + [0] * 15)
    out = b"\xFF\xD8"
    out += marker(0xE0, b"JFIF\0" + bytes([1, 1, 1]) + struct.pack(">HH", 72, 72) + b"\0\0")
    out += marker(0xDB, b"\0" + bytes([1] * 64))
    comps = b"".join(bytes([i + 1, 0x11, 0]) for i in range(components))
    out += marker(0xC0, bytes([8]) + struct.pack(">HH", height, width) + bytes([components]) + comps)
    out += marker(0xC4, b"\x00" + dc_counts + dc_values)
    out += marker(0xC4, b"\x10" + ac_counts + b"\x00")
    scan = b"".join(bytes([i + 1, 0]) for i in range(components))
    out += marker(0xDA, bytes([components]) + scan + bytes([0, 63, 0]))
    blocks = ((width + 7) // 8) * ((height + 7) // 8) * components
    bits = "000" * blocks  # '00' DC category 0, '0' end of block
    bits += "1" * (-len(bits) % 8)
    data = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    return out + data.replace(b"\xFF", b"\xFF\x00") + b"\xFF\xD9"


def jpeg_seeds():
    return {"gray8x8.jpg": jpeg(1, 8, 8), "colour16x8.jpg": jpeg(3, 16, 8)}


# ---- ico, cur --------------------------------------------------------------------------------

def icon_image(side, bits):
    if bits == 32:
        palette = b""
        xor = b"".join(u32(0xFF0000FF if (x + y) % 2 else 0x8000FF00) for y in range(side)
                       for x in range(side))
    else:  # 4 bits, 16 colours
        palette = b"".join(u32(c) for c in [0, 0xFF0000, 0x00FF00, 0x0000FF] + [0xFFFFFF] * 12)
        xor = b"".join(row_pad(bytes([((x % 3) << 4) | (y % 3) for x in range(side // 2)]))
                       for y in range(side))
    mask = b"".join(row_pad(bytes([0x0F] * ((side + 7) // 8))) for _ in range(side))
    header = info_header(side, side * 2, bits, 0, len(xor) + len(mask), 0, 0)
    return header + palette + xor + mask


def icon_file(kind, images):
    """images: (side, bits) pairs; kind 1 is an icon, 2 a cursor (hot spot 1, 1)."""
    data = [icon_image(side, bits) for side, bits in images]
    out = u16(0, kind, len(images))
    offset = 6 + 16 * len(images)
    for (side, bits), image in zip(images, data):
        second = (1, 1) if kind == 2 else (1, bits)
        out += bytes([side, side, 16 if bits == 4 else 0, 0]) + u16(*second)
        out += u32(len(image), offset)
        offset += len(image)
    return out + b"".join(data)


def icon_seeds():
    return {"two_images.ico": icon_file(1, [(4, 32), (8, 4)]),
            "cursor.cur": icon_file(2, [(8, 32)])}


# ---- emf -------------------------------------------------------------------------------------

def emr(kind, payload):
    return u32(kind, 8 + len(payload)) + payload


def emf(records, frame=(0, 0, 2000, 1000), bounds=(0, 0, 75, 37), handles=4):
    body = b"".join(records) + emr(14, u32(0, 16, 20))  # EMR_EOF
    size = 88 + len(body)
    header = i32(*bounds) + i32(*frame) + u32(0x464D4520, 0x10000, size, len(records) + 2)
    header += u16(handles, 0) + u32(0, 0, 0) + i32(1024, 768, 320, 240)
    return emr(1, header) + body


def emf_brush(index, colour):
    return emr(39, u32(index, 0, colour, 0))


def emf_select(index):
    return emr(37, u32(index))


def emf_seeds():
    seeds = {}
    seeds["rectangle.emf"] = emf([emf_brush(1, RED), emf_select(1), emr(43, i32(5, 5, 60, 30))])
    pen = emr(38, u32(2, 0) + i32(3, 0) + u32(BLUE))
    points = i16(0, 0, 70, 10, 10, 30, 60, 35)
    poly = emr(87, i32(0, 0, 70, 35) + u32(4) + points)  # EMR_POLYLINE16
    polygon = emr(86, i32(0, 0, 70, 35) + u32(3) + i16(10, 10, 40, 5, 30, 30))  # EMR_POLYGON16
    ellipse = emr(42, i32(20, 5, 50, 30))
    seeds["shapes.emf"] = emf([pen, emf_select(2), emf_brush(1, GREEN), emf_select(1), poly,
                               polygon, ellipse])
    path = [emr(59, b""), emr(27, i32(5, 5)), emr(54, i32(70, 5)), emr(54, i32(40, 35)),
            emr(61, b""), emr(60, b""), emf_brush(1, BLUE), emf_select(1),
            emr(63, i32(0, 0, 75, 37))]  # begin, move, lines, close, end, stroke and fill
    seeds["path.emf"] = emf(path)
    face = "Sans".encode("utf-16-le").ljust(64, b"\0")
    font = emr(82, u32(3) + i32(-12, 0, 0, 0, 400) + bytes([0, 0, 0, 1, 0, 0, 0, 0]) + face)
    text = "Hi".encode("utf-16-le")
    emrtext = i32(4, 20) + u32(2, 76, 0) + i32(0, 0, -1, -1) + u32(80)
    exttext = emr(84, i32(0, 0, 40, 20) + u32(1) + struct.pack("<ff", 1.0, 1.0) + emrtext +
                  text + u32(7, 7))
    seeds["text.emf"] = emf([font, emf_select(3), emr(24, u32(RED)), emr(18, u32(1)), exttext])
    # A 2 x 2 24-bit bitmap stretched over the picture (EMR_STRETCHDIBITS, SRCCOPY).
    dib_header = info_header(2, 2, 24, 0, 16)
    dib_bits = row_pad(bytes([0, 0, 255, 0, 255, 0])) + row_pad(bytes([255, 0, 0, 255, 255, 255]))
    stretch = emr(81, i32(0, 0, 75, 37) + i32(0, 0, 0, 0, 2, 2) + u32(80, 40, 120, 16) +
                  u32(0, 0x00CC0020) + i32(75, 37) + dib_header + dib_bits)
    seeds["bitmap.emf"] = emf([stretch])
    # No frame: the size comes from the bounds in device pixels.
    seeds["bounds_only.emf"] = emf([emf_brush(1, RED), emf_select(1), emr(43, i32(0, 0, 9, 9))],
                                   frame=(0, 0, 0, 0), bounds=(0, 0, 9, 9))
    return seeds


# ---- wmf -------------------------------------------------------------------------------------

def wmr(function, payload=b""):
    return u32((6 + len(payload)) // 2) + u16(function) + payload


def wmf(records, placeable=None, objects=4):
    body = b"".join(records) + wmr(0)  # META_EOF
    largest = max(len(r) for r in records + [wmr(0)]) // 2
    header = u16(1, 9, 0x0300) + u32((18 + len(body)) // 2) + u16(objects) + u32(largest) + u16(0)
    out = header + body
    if placeable is not None:
        left, top, right, bottom, inch = placeable
        head = u32(0x9AC6CDD7) + u16(0) + i16(left, top, right, bottom) + u16(inch) + u32(0)
        checksum = 0
        for i in range(0, 20, 2):
            checksum ^= struct.unpack_from("<H", head, i)[0]
        out = head + u16(checksum) + out
    return out


def wmf_window(width, height):
    return [wmr(0x020B, i16(0, 0)), wmr(0x020C, i16(height, width))]


def wmf_brush(colour):
    return wmr(0x02FC, u16(0) + u32(colour) + u16(0))


def wmf_seeds():
    seeds = {}
    seeds["rectangle.wmf"] = wmf(wmf_window(1000, 500) + [
        wmf_brush(RED), wmr(0x012D, u16(0)), wmr(0x041B, i16(500, 1000, 0, 0))],
        placeable=(0, 0, 1000, 500, 1000))
    pen = wmr(0x02FA, u16(0) + i16(20, 0) + u32(BLUE))
    polygon = wmr(0x0324, i16(3, 100, 100, 900, 200, 400, 450))
    polyline = wmr(0x0325, i16(3, 0, 0, 500, 400, 1000, 0))
    ellipse = wmr(0x0418, i16(450, 800, 50, 200))
    seeds["shapes.wmf"] = wmf(wmf_window(1000, 500) + [
        pen, wmr(0x012D, u16(0)), wmf_brush(GREEN), wmr(0x012D, u16(1)), polygon, polyline,
        ellipse])
    font = wmr(0x02FB, i16(-200, 0, 0, 0, 400) + bytes([0, 0, 0, 1, 0, 0, 0, 0]) + b"Sans\0\0")
    text = wmr(0x0521, i16(2) + b"Hi" + i16(100, 100))
    seeds["text.wmf"] = wmf(wmf_window(1000, 500) + [
        font, wmr(0x012D, u16(0)), wmr(0x0209, u32(RED)), wmr(0x0102, u16(1)), text],
        placeable=(0, 0, 1000, 500, 1440))
    dib = info_header(2, 2, 24, 0, 16) + row_pad(bytes([0, 0, 255, 0, 255, 0])) + \
        row_pad(bytes([255, 0, 0, 255, 255, 255]))
    stretch = wmr(0x0B41, u32(0x00CC0020) + i16(2, 2, 0, 0, 500, 1000, 0, 0) + dib)
    seeds["bitmap.wmf"] = wmf(wmf_window(1000, 500) + [stretch],
                              placeable=(0, 0, 1000, 500, 1000))
    return seeds


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    groups = {
        "picture_raster": {**bmp_seeds(), **gif_seeds(), **jpeg_seeds(), **icon_seeds()},
        "picture_emf": emf_seeds(),
        "picture_wmf": wmf_seeds(),
    }
    for target, seeds in groups.items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            print("%s/%s: %d bytes" % (target, name, len(data)))


if __name__ == "__main__":
    main()
