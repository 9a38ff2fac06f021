#!/usr/bin/env python3
"""Draws the viewer's start-up picture (273 x 447, 64 colours) and writes it as a GIF."""
import math
import struct
import sys

W, H = 273, 447


def palette():
    cols = []
    for i in range(32):  # sky: deep blue to pale
        t = i / 31
        cols.append((int(30 + 170 * t), int(60 + 160 * t), int(140 + 110 * t)))
    for i in range(16):  # hills: dark to light green
        t = i / 15
        cols.append((int(20 + 60 * t), int(80 + 100 * t), int(40 + 50 * t)))
    for i in range(16):  # sun: orange to yellow
        t = i / 15
        cols.append((255, int(150 + 100 * t), int(40 + 120 * t)))
    return cols


def pixel(x, y):
    sun = math.hypot(x - 190, y - 120)
    if sun < 42:
        return 48 + min(15, int(15 - sun / 3))
    hill1 = 300 + 30 * math.sin(x / 37.0)
    hill2 = 340 + 22 * math.sin(x / 23.0 + 1.7)
    if y > hill2:
        return 32 + max(0, min(15, int((y - hill2) / 8)))
    if y > hill1:
        return 32 + 8 + max(0, min(7, int((y - hill1) / 10)))
    # a frame marker every 40 pixels in the sky, like a viewfinder grid
    if (x % 40 == 0 or y % 40 == 0) and y < 260:
        return 31
    return min(31, int(y / 300 * 31))


def lzw(indices, min_code=6):
    clear, end = 1 << min_code, (1 << min_code) + 1
    out, bitbuf, nbits = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bitbuf, nbits
        bitbuf |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bitbuf & 0xFF)
            bitbuf >>= 8
            nbits -= 8

    table = {(i,): i for i in range(clear)}
    size, nxt = min_code + 1, end + 1
    emit(clear, size)
    cur = (indices[0],)
    for k in indices[1:]:
        cand = cur + (k,)
        if cand in table:
            cur = cand
            continue
        emit(table[cur], size)
        if nxt < 4096:
            table[cand] = nxt
            if nxt == (1 << size) and size < 12:
                size += 1
            nxt += 1
        else:
            emit(clear, size)
            table = {(i,): i for i in range(clear)}
            size, nxt = min_code + 1, end + 1
        cur = (k,)
    emit(table[cur], size)
    emit(end, size)
    if nbits:
        out.append(bitbuf & 0xFF)
    return bytes(out)


def main(path):
    data = lzw([pixel(x, y) for y in range(H) for x in range(W)])
    gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", W, H, 0xF5, 0, 0))
    for r, g, b in palette():
        gif += bytes((r, g, b))
    gif += b"," + struct.pack("<HHHHB", 0, 0, W, H, 0) + bytes([6])
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        gif += bytes([len(chunk)]) + chunk
    gif += b"\x00;"
    open(path, "wb").write(gif)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "startup.gif")
