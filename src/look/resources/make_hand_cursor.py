#!/usr/bin/env python3
"""Draws the program's hand pointer and writes it as a Windows cursor file (HAND-M.CUR).

The hand points up with its index finger; the hotspot is the fingertip, so a click lands where
the finger points. The image is a 32 x 32, 32-bit cursor with an AND mask, which Windows and
Qt's ICO reader both understand. Run it again after changing the drawing:

    python3 make_hand_cursor.py [OUTPUT]    (default: HAND-M.CUR beside this script)
"""

import pathlib
import struct
import sys

SIZE = 32
HOTSPOT = (6, 0)

# B: black outline, W: white fill, .: transparent.
HAND = [
    "......BB............",
    ".....BWWB...........",
    ".....BWWB...........",
    ".....BWWB...........",
    ".....BWWB...........",
    ".....BWWBBB.........",
    ".....BWWBWWBBB......",
    ".....BWWBWWBWWBB....",
    ".....BWWBWWBWWBWWB..",
    ".BB..BWWBWWBWWBWWB..",
    "BWWB.BWWBWWBWWBWWB..",
    "BWWWBBWWWWWWWWWWWB..",
    ".BWWWBWWWWWWWWWWWB..",
    ".BWWWWWWWWWWWWWWWB..",
    "..BWWWWWWWWWWWWWWB..",
    "..BWWWWWWWWWWWWWWB..",
    "...BWWWWWWWWWWWWB...",
    "...BWWWWWWWWWWWWB...",
    "....BWWWWWWWWWWB....",
    "....BWWWWWWWWWWB....",
    ".....BWWWWWWWWWB....",
    ".....BBBBBBBBBBB....",
]

COLOURS = {"B": (0, 0, 0, 255), "W": (255, 255, 255, 255), ".": (0, 0, 0, 0)}


def pixel(x, y):
    if y < len(HAND) and x < len(HAND[y]):
        return COLOURS[HAND[y][x]]
    return COLOURS["."]


def cursor_bytes():
    # Rows are stored bottom-up, as in every Windows device-independent bitmap.
    rows = range(SIZE - 1, -1, -1)
    colour = bytearray()
    mask = bytearray()
    for y in rows:
        bits = 0
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            colour += bytes((b, g, r, a))
            # A set AND bit keeps the screen pixel: that is the transparent part.
            bits = (bits << 1) | (1 if a == 0 else 0)
        mask += bits.to_bytes(SIZE // 8, "big")
    image_size = len(colour) + len(mask)
    # The bitmap header counts the colour and mask halves together, hence twice the height.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, image_size, 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    default = pathlib.Path(__file__).resolve().parent / "HAND-M.CUR"
    target = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default
    target.write_bytes(cursor_bytes())


if __name__ == "__main__":
    main()
