#!/usr/bin/env python3
"""Writes one small BMP file of every layout the program reads.

    tools/bmp_flavours.py OUTPUT_DIR [NAME...]

Each file holds the same kind of picture: an odd size (so that rows of
most depths end in padding) and nothing symmetric about it: red grows to
the right, green grows downwards, blue and the palette indices follow
diagonals, with a block near the top-left corner, so a flip, an off-by-one
row, a lost padding byte or a red/blue swap changes the picture. The 16-bit
files use every 5- and 6-bit level, so the widening of narrow channels to
8 bits shows as well; the files with alpha have fully clear, fully opaque
and partly clear pixels.

Prints the names of the files written, one a line. With NAMEs, writes only
those flavours. The layouts are listed in flavours() at the end.
"""

import os
import struct
import sys

W, H = 67, 43

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS, BI_ALPHABITFIELDS = 0, 1, 2, 3, 6
LCS_SRGB = 0x73524742  # 'sRGB'


# ---------------------------------------------------------------- pictures

def rgb(x, y):
    """The true-colour picture at (x, y), y counted from the top."""
    r = x * 255 // (W - 1)
    g = y * 255 // (H - 1)
    b = (x * 5 + y * 11) & 0xFF
    if 4 <= x < 20 and 3 <= y < 12:  # a block near the top-left corner
        r, g, b = 250, 250, 40
    return r, g, b


def alpha(x, y):
    """Transparency with fully clear, fully opaque and everything between."""
    if y < H // 3:
        return 255
    if x < 9:
        return 0
    return (x * 255 // (W - 1) + y * 3) & 0xFF


def level(value, bits):
    """A channel of `bits` bits that runs through every level of it."""
    return value % (1 << bits)


def rgb16(x, y, red_bits, green_bits, blue_bits):
    """Channel levels of the 16-bit pictures (every level appears)."""
    return (level(x, red_bits), level(y * 3 + x // 7, green_bits), level(x + y, blue_bits))


def palette(count, seed):
    """`count` distinct colours (no two share a red level), in no order."""
    colours = []
    for i in range(count):
        colours.append(((i * 97 + seed) & 0xFF, (i * 57 + 3 * seed) & 0xFF, (255 - i * 31 - seed) & 0xFF))
    return colours


def index(x, y, count):
    """The palette picture: diagonal bands, with a block near the top-left."""
    if 4 <= x < 20 and 3 <= y < 12:
        return count - 1
    return (x // 3 + y // 2 * 2 + x * y // 40) % max(1, count - 1)


# ---------------------------------------------------------------- headers

def info_header(size, width, height, bpp, compression, colours=0, masks=None):
    """A BITMAPINFOHEADER (40), V2 (52), V3 (56), V4 (108) or V5 (124)."""
    header = struct.pack('<IiiHHIIiiII', size, width, height, 1, bpp, compression, 0, 2835, 2835, colours, 0)
    if size > 40:
        m = list(masks or [0, 0, 0, 0]) + [0] * 4
        header += struct.pack('<IIII', *m[:4])[: size - 40]
    if size >= 108:
        header += struct.pack('<I', LCS_SRGB) + bytes(36) + bytes(12)  # colour space, end points, gamma
    if size >= 124:
        header += struct.pack('<IIII', 4, 0, 0, 0)  # LCS_GM_IMAGES, no profile
    assert len(header) == size, (size, len(header))
    return header


def core_header(width, height, bpp):
    """The 12-byte OS/2 BITMAPCOREHEADER."""
    return struct.pack('<IHHHH', 12, width, height, 1, bpp)


def bmp_file(dib_header, extra=b'', colours=(), bits=b'', triples=False):
    """File header, info header, `extra` (masks after a 40-byte header),
    palette (four bytes a colour, three for the OS/2 header) and pixels."""
    table = b''.join(bytes((b, g, r)) if triples else bytes((b, g, r, 0)) for r, g, b in colours)
    offset = 14 + len(dib_header) + len(extra) + len(table)
    return (b'BM' + struct.pack('<IHHI', offset + len(bits), 0, 0, offset) + dib_header + extra + table + bits)


def rows(bpp, top_down, pixel):
    """Uncompressed pixels: each row padded to four bytes, bottom row first
    unless top_down. pixel(x, y) gives the stored value."""
    stride = (W * bpp + 31) // 32 * 4
    out = bytearray()
    order = range(H) if top_down else range(H - 1, -1, -1)
    for y in order:
        row = bytearray(stride)
        for x in range(W):
            v = pixel(x, y)
            if bpp < 8:
                bit = x * bpp
                row[bit // 8] |= v << (8 - bpp - bit % 8)
            else:
                row[x * bpp // 8: x * bpp // 8 + bpp // 8] = v.to_bytes(bpp // 8, 'little')
        out += row
    return bytes(out)


# ---------------------------------------------------------------- pixel writers

def bgr24(x, y):
    r, g, b = rgb(x, y)
    return b | g << 8 | r << 16


def bgr32(fourth):
    def pixel(x, y):
        r, g, b = rgb(x, y)
        return b | g << 8 | r << 16 | fourth(x, y) << 24
    return pixel


def garbage(x, y):
    """A fourth byte that means nothing: never all zero, never all 255."""
    return (x * 31 + y * 17) & 0xFF


def packed(masks, with_alpha):
    """Pixels for arbitrary bit-field masks, from the 8-bit picture."""
    def put(value8, mask):
        if mask == 0:
            return 0
        shift = (mask & -mask).bit_length() - 1
        bits = bin(mask).count('1')
        v = value8 >> (8 - bits) if bits <= 8 else (value8 << (bits - 8)) | (value8 >> (16 - bits))
        return (v << shift) & mask

    def pixel(x, y):
        r, g, b = rgb(x, y)
        a = alpha(x, y) if with_alpha else garbage(x, y)
        v = put(r, masks[0]) | put(g, masks[1]) | put(b, masks[2])
        if len(masks) > 3 and masks[3]:
            v |= put(a, masks[3])
        return v
    return pixel


def packed16(red_bits, green_bits, blue_bits, alpha_bits=0, top_bit=False):
    """16-bit pixels with every level of each channel, blue lowest."""
    def pixel(x, y):
        r, g, b = rgb16(x, y, red_bits, green_bits, blue_bits)
        v = b | g << blue_bits | r << (blue_bits + green_bits)
        if alpha_bits:
            v |= level(alpha(x, y) >> (8 - alpha_bits), alpha_bits) << 12
        elif top_bit:
            v |= ((x + y) & 1) << 15  # unused, must be ignored
        return v
    return pixel


# ---------------------------------------------------------------- RLE

def rle_pixels(line, four_bit):
    """Records for a stretch of palette indices: runs of three or more as
    runs, stretches between them as literal runs (padded to 16 bits), a
    stretch of one or two as runs of one."""
    out = bytearray()
    x = 0
    while x < len(line):
        run = 1
        while x + run < len(line) and run < 255 and line[x + run] == line[x]:
            run += 1
        if run >= 3:
            out += bytes((run, line[x] * 17 if four_bit else line[x]))
            x += run
            continue
        end = x
        while end < len(line) and end - x < 255 and not (
                end + 2 < len(line) and line[end] == line[end + 1] == line[end + 2]):
            end += 1
        literal = line[x:end]
        if len(literal) < 3:
            for v in literal:
                out += bytes((1, v * 17 if four_bit else v))
        else:
            if four_bit:
                padded = literal + [0] * (len(literal) & 1)
                data = bytes(padded[i] << 4 | padded[i + 1] for i in range(0, len(padded), 2))
            else:
                data = bytes(literal)
            out += bytes((0, len(literal))) + data + bytes(len(data) & 1)
        x = end
    return bytes(out)


def rle_rows(four_bit, count):
    """Run-length pixels of the palette picture with every kind of record:
    runs, literal runs of odd and even length, a move right within a row, a
    move two rows up the picture, a row ended early, an alternating
    two-colour run (4-bit) and the end marker. Pixels the stream skips are
    left to the decoder."""
    out = bytearray()
    y = H - 1  # rows are stored bottom-up
    start_x = 0
    while y >= 0:
        line = [index(x, y, count) for x in range(W)]
        if y == 12:  # a move right by 9 pixels from x = 25
            out += rle_pixels(line[start_x:25], four_bit) + bytes((0, 2, 9, 0))
            out += rle_pixels(line[34:], four_bit)
        elif y == 20:  # the row ends early after 40 pixels
            out += rle_pixels(line[start_x:40], four_bit)
        elif y == 32:  # from x = 50 up two rows and right 3 pixels
            out += rle_pixels(line[start_x:50], four_bit) + bytes((0, 2, 3, 2))
            y -= 2
            start_x = 53
            continue
        elif y == 5 and four_bit:  # seven pixels alternating two colours
            out += bytes((7, 3 << 4 | 12)) + rle_pixels(line[7:], four_bit)
        else:
            out += rle_pixels(line[start_x:], four_bit)
        start_x = 0
        out += bytes((0, 0) if y > 0 else (0, 1))  # end of line, or of the picture
        y -= 1
    return bytes(out)


# ---------------------------------------------------------------- the flavours

def rgb565():
    return packed16(5, 6, 5)


def pal(bpp, count, colours_field, top_down=False, seed=11):
    colours = palette(count, seed)
    bits = rows(bpp, top_down, lambda x, y: index(x, y, count))
    return bmp_file(info_header(40, W, -H if top_down else H, bpp, BI_RGB, colours_field), b'', colours, bits)


def masks_extra(*masks):
    return struct.pack('<' + 'I' * len(masks), *masks)


M888 = (0xFF0000, 0xFF00, 0xFF)
M8888 = (0xFF0000, 0xFF00, 0xFF, 0xFF000000)


def flavours():
    f = {}
    # 16 bits a pixel
    f['rgb16-555'] = bmp_file(info_header(40, W, H, 16, BI_RGB), bits=rows(16, False, packed16(5, 5, 5, top_bit=True)))
    f['bitfields16-555'] = bmp_file(info_header(40, W, H, 16, BI_BITFIELDS), masks_extra(0x7C00, 0x03E0, 0x001F),
                                    bits=rows(16, False, packed16(5, 5, 5, top_bit=True)))
    f['bitfields16-565'] = bmp_file(info_header(40, W, H, 16, BI_BITFIELDS), masks_extra(0xF800, 0x07E0, 0x001F),
                                    bits=rows(16, False, rgb565()))
    f['v5-bitfields16-565'] = bmp_file(info_header(124, W, H, 16, BI_BITFIELDS, masks=(0xF800, 0x07E0, 0x001F, 0)),
                                       bits=rows(16, False, rgb565()))
    f['v5-bitfields16-4444'] = bmp_file(
        info_header(124, W, H, 16, BI_BITFIELDS, masks=(0x0F00, 0x00F0, 0x000F, 0xF000)),
        bits=rows(16, False, packed16(4, 4, 4, alpha_bits=4)))
    # 32 bits a pixel without bit fields: the fourth byte is no alpha
    f['rgb32-zero-alpha'] = bmp_file(info_header(40, W, H, 32, BI_RGB), bits=rows(32, False, bgr32(lambda x, y: 0)))
    f['rgb32-alpha'] = bmp_file(info_header(40, W, H, 32, BI_RGB), bits=rows(32, False, bgr32(alpha)))
    f['v5-rgb32-alpha'] = bmp_file(info_header(124, W, H, 32, BI_RGB, masks=M8888), bits=rows(32, False, bgr32(alpha)))
    # 32 bits a pixel with bit fields
    f['bitfields32'] = bmp_file(info_header(40, W, H, 32, BI_BITFIELDS), masks_extra(*M888),
                                bits=rows(32, False, bgr32(garbage)))
    f['bitfields32-rgb-order'] = bmp_file(info_header(40, W, H, 32, BI_BITFIELDS), masks_extra(0xFF, 0xFF00, 0xFF0000),
                                          bits=rows(32, False, packed((0xFF, 0xFF00, 0xFF0000), False)))
    f['bitfields32-10-bit'] = bmp_file(info_header(40, W, H, 32, BI_BITFIELDS),
                                       masks_extra(0x3FF00000, 0x000FFC00, 0x000003FF),
                                       bits=rows(32, False, packed((0x3FF00000, 0x000FFC00, 0x000003FF), False)))
    f['alphabitfields32'] = bmp_file(info_header(40, W, H, 32, BI_ALPHABITFIELDS), masks_extra(*M8888),
                                     bits=rows(32, False, bgr32(alpha)))
    f['v3-bitfields32-alpha'] = bmp_file(info_header(56, W, H, 32, BI_BITFIELDS, masks=M8888),
                                         bits=rows(32, False, bgr32(alpha)))
    f['v4-bitfields32'] = bmp_file(info_header(108, W, H, 32, BI_BITFIELDS, masks=M888 + (0,)),
                                   bits=rows(32, False, bgr32(garbage)))
    f['v4-bitfields32-alpha'] = bmp_file(info_header(108, W, H, 32, BI_BITFIELDS, masks=M8888),
                                         bits=rows(32, False, bgr32(alpha)))
    f['v5-bitfields32'] = bmp_file(info_header(124, W, H, 32, BI_BITFIELDS, masks=M888 + (0,)),
                                   bits=rows(32, False, bgr32(garbage)))
    f['v5-bitfields32-alpha'] = bmp_file(info_header(124, W, H, 32, BI_BITFIELDS, masks=M8888),
                                         bits=rows(32, False, bgr32(alpha)))
    f['v5-bitfields32-zero-alpha'] = bmp_file(info_header(124, W, H, 32, BI_BITFIELDS, masks=M8888),
                                              bits=rows(32, False, bgr32(lambda x, y: 0)))
    f['v5-bitfields32-alpha-top-down'] = bmp_file(info_header(124, W, -H, 32, BI_BITFIELDS, masks=M8888),
                                                  bits=rows(32, True, bgr32(alpha)))
    # 24 bits a pixel in the larger headers, and top-down
    f['v4-rgb24'] = bmp_file(info_header(108, W, H, 24, BI_RGB), bits=rows(24, False, bgr24))
    f['v5-rgb24'] = bmp_file(info_header(124, W, H, 24, BI_RGB), bits=rows(24, False, bgr24))
    f['top-down24'] = bmp_file(info_header(40, W, -H, 24, BI_RGB), bits=rows(24, True, bgr24))
    # palettes
    f['pal1'] = bmp_file(info_header(40, W, H, 1, BI_RGB, 2), b'', [(255, 128, 0), (0, 32, 160)],
                         rows(1, False, lambda x, y: 1 if (x * 2 + y * 3) % 11 < 5 or x < y // 2 else 0))
    f['pal2'] = pal(2, 4, 0)
    f['pal4'] = pal(4, 16, 0)
    f['pal4-11-colours'] = pal(4, 11, 11)
    f['pal8'] = pal(8, 256, 0)
    f['pal8-200-colours'] = pal(8, 200, 200)
    # indices beyond a short palette (a damaged file): those pixels are black
    f['pal8-indices-beyond-palette'] = bmp_file(info_header(40, W, H, 8, BI_RGB, 40), b'', palette(40, 7),
                                                rows(8, False, lambda x, y: index(x, y, 256)))
    f['top-down8'] = pal(8, 256, 0, top_down=True)
    f['top-down4'] = pal(4, 16, 16, top_down=True)
    # run-length compressed
    f['rle8'] = bmp_file(info_header(40, W, H, 8, BI_RLE8, 180), b'', palette(180, 5), rle_rows(False, 180))
    f['rle4'] = bmp_file(info_header(40, W, H, 4, BI_RLE4, 16), b'', palette(16, 9), rle_rows(True, 16))
    # the OS/2 header, with three-byte palette entries
    f['os2-pal8'] = bmp_file(core_header(W, H, 8), b'', palette(256, 3),
                             rows(8, False, lambda x, y: index(x, y, 256)), triples=True)
    f['os2-rgb24'] = bmp_file(core_header(W, H, 24), bits=rows(24, False, bgr24))
    return f


FLAVOURS = flavours()


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    out_dir = argv[1]
    names = argv[2:] or list(FLAVOURS)
    os.makedirs(out_dir, exist_ok=True)
    for name in names:
        if name not in FLAVOURS:
            sys.stderr.write('bmp_flavours: no flavour %s\n' % name)
            return 2
        with open(os.path.join(out_dir, name + '.bmp'), 'wb') as f:
            f.write(FLAVOURS[name])
        print(name + '.bmp')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
