#!/usr/bin/env python3
"""Draws quillon.exe's icon artwork and writes it as .ico files (Python 3 standard library only).

Run by hand after changing the artwork; its output, res/icons/*.ico, is committed:
    python3 tools/make_icons/make_icons.py [output directory]
With --preview, also writes an enlarged PNG of every image for a look.
"""
import math
import os
import struct
import sys
import zlib

# The 16-colour palette of the toggle icons. 128 and 192 greys are the ones that
# LR_LOADMAP3DCOLORS maps to the user's 3-D shadow and face colours.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, LIGHT_GREY, DARK_GREY, WHITE = (0, 0, 0), (0, 0, 128), (192, 192, 192), (128, 128, 128), (255, 255, 255)


class Image:
    """Rows top-down of (r, g, b, a) with 0..255 channels."""

    def __init__(self, size, pixels):
        self.size = size
        self.pixels = pixels


# ---------------------------------------------------------------- drawing


def render(size, shade, samples=4):
    """Supersamples shade(x, y) -> (r, g, b, a) in 0..1 over a unit square."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(min(1.0, c / acc[3]) * 255) for c in acc[:3]) + (round(a * 255),))
        rows.append(row)
    return Image(size, rows)


def over(top, bottom):
    """Composites two (r, g, b, a) colours in 0..1."""
    ta, ba = top[3], bottom[3]
    a = ta + ba * (1 - ta)
    if a <= 0:
        return (0, 0, 0, 0)
    return tuple((top[i] * ta + bottom[i] * ba * (1 - ta)) / a for i in range(3)) + (a,)


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(c1[i] + (c2[i] - c1[i]) * t for i in range(3))


def rgb(r, g, b):
    return (r / 255, g / 255, b / 255)


def capsule_distance(x, y, x1, y1, x2, y2):
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - x1 - t * dx, y - y1 - t * dy)


def app_shade(x, y):
    """A magnifying glass whose red lens shows a white exclamation mark."""
    cx, cy = 0.41, 0.41
    d = math.hypot(x - cx, y - cy)
    colour = (0, 0, 0, 0)
    # Handle, towards the bottom right, under the ring.
    hd = capsule_distance(x, y, 0.62, 0.62, 0.87, 0.87)
    if hd < 0.085:
        side = ((x - y) / 0.085 + 1) / 2
        colour = over(mix(rgb(90, 60, 40), rgb(45, 28, 18), side) + (1,), colour)
    if d < 0.27:
        glass = mix(rgb(235, 70, 60), rgb(160, 20, 20), d / 0.27)
        colour = over(glass + (1,), colour)
        # A soft reflection in the upper left of the glass.
        hl = math.hypot(x - (cx - 0.1), y - (cy - 0.1))
        if hl < 0.08:
            colour = over((1, 1, 1, 0.35 * (1 - hl / 0.08)), colour)
        if capsule_distance(x, y, cx, cy - 0.15, cx, cy + 0.03) < 0.042 or math.hypot(x - cx, y - (cy + 0.13)) < 0.045:
            colour = over((1, 1, 1, 1), colour)
    elif d < 0.345:
        # Steel ring, lit from the upper left.
        light = ((x - cx) + (y - cy)) / 0.69 + 0.5
        colour = over(mix(rgb(215, 220, 228), rgb(85, 90, 100), light) + (1,), colour)
    return colour


def info_shade(x, y):
    """A white letter i on a blue disc."""
    d = math.hypot(x - 0.5, y - 0.5)
    if d >= 0.47:
        return (0, 0, 0, 0)
    colour = mix(rgb(80, 150, 240), rgb(20, 70, 170), (x + y) / 2 + d / 2) + (1,)
    if math.hypot(x - 0.5, y - 0.27) < 0.085:
        return (1, 1, 1, 1)
    if 0.44 <= x <= 0.575 and 0.40 <= y <= 0.77:
        return (1, 1, 1, 1)
    if 0.38 <= x <= 0.44 and 0.40 <= y <= 0.46:  # serif of the stem
        return (1, 1, 1, 1)
    if 0.38 <= x <= 0.64 and 0.71 <= y <= 0.77:  # foot
        return (1, 1, 1, 1)
    return colour


def palette_image(rows, legend):
    """A 16 x 16 image from rows of legend characters; '.' is transparent."""
    return Image(16, [[legend[ch] + (255,) if ch != "." else (0, 0, 0, 0) for ch in row] for row in rows])


def triangle(pointing_down):
    """A navy triangle with a white edge towards the light (upper left) and grey edges away."""
    rows = [["."] * 16 for _ in range(16)]
    tip, base = (10, 4) if pointing_down else (4, 10)  # rows of the apex and of the base
    for k in range(7):  # k: distance from the apex
        y = tip - k if pointing_down else tip + k
        left, right = 7 - k, 7 + k
        for x in range(left, right + 1):
            rows[y][x] = "N"
        rows[y][left] = "W"
        rows[y][right] = "G"
    for x in range(1, 14):  # the base
        rows[base][x] = ("W" if pointing_down else "G")
    rows[base][13] = "G"
    if not pointing_down:
        rows[tip][7] = "W"
    else:
        rows[tip][7] = "G"
    legend = {"N": NAVY, "W": WHITE, "G": DARK_GREY}
    return palette_image(["".join(r) for r in rows], legend)


def pin(angle_degrees):
    """A push pin, needle first, along the given direction (0: needle to the left)."""
    a = math.radians(angle_degrees)
    # Axis from the needle's tip towards the head; v across it, negative towards the light.
    ux, uy = math.cos(a), -math.sin(a)
    vx, vy = -uy, ux
    if vx + vy < 0:
        vx, vy = -vx, -vy
    length = 13.5
    # Pixel coordinates of the needle's tip, so that the pin is centred.
    tx = 8.5 - ux * length / 2
    ty = 8.5 - uy * length / 2

    def parts(px, py):
        u = (px - tx) * ux + (py - ty) * uy
        v = (px - tx) * vx + (py - ty) * vy
        if 0.2 <= u < 4.5 and abs(v) <= 0.55:
            return "needle", v
        if 4.5 <= u < 7 and abs(v) <= 4.6:
            return "body", v
        if 7 <= u < 10.5 and abs(v) <= 2.6:
            return "body", v
        if 10.5 <= u <= 13.5 and abs(v) <= 4.1:
            return "body", v
        return None, v

    inside = [[None] * 16 for _ in range(16)]
    shade = [[0.0] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            # Majority of 4 x 4 samples decides which part a pixel shows.
            votes = {}
            vs = 0.0
            for sy in range(4):
                for sx in range(4):
                    part, v = parts(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)
                    votes[part] = votes.get(part, 0) + 1
                    vs += v
            best = max(votes, key=lambda k: (votes[k], k is not None))
            if best == "needle" and votes["needle"] >= 4:
                inside[y][x] = "needle"
            elif best == "body" or votes.get("body", 0) >= 8:
                inside[y][x] = "body"
            shade[y][x] = vs / 16
    rows = []
    for y in range(16):
        row = ""
        for x in range(16):
            part = inside[y][x]
            if part is None:
                row += "."
            elif part == "needle":
                row += "K"
            else:
                edge = any(
                    not (0 <= x + dx < 16 and 0 <= y + dy < 16) or inside[y + dy][x + dx] != "body"
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if edge:
                    row += "K"
                elif shade[y][x] < -0.9:
                    row += "W"
                elif shade[y][x] < 1.0:
                    row += "L"
                else:
                    row += "G"
        rows.append(row)
    return palette_image(rows, {"K": BLACK, "W": WHITE, "L": LIGHT_GREY, "G": DARK_GREY})


# ---------------------------------------------------------------- colour reduction


def opaque_pixels(image):
    return [p[:3] for row in image.pixels for p in row if p[3] >= 128]


def median_cut(colours, count):
    boxes = [sorted(set(colours))]
    while len(boxes) < count:
        boxes.sort(key=lambda b: max(max(c[i] for c in b) - min(c[i] for c in b) for i in range(3)) if len(b) > 1 else -1)
        box = boxes.pop()
        if len(box) < 2:
            boxes.append(box)
            break
        channel = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: c[channel])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    return [tuple(round(sum(c[i] for c in b) / len(b)) for i in range(3)) for b in boxes if b]


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


# ---------------------------------------------------------------- .ico writing


def row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def and_mask(image):
    size = image.size
    stride = row_bytes(size)
    data = bytearray()
    for row in reversed(image.pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def dib(image, bits):
    """BITMAPINFOHEADER, palette, colour bits and AND mask of one icon image."""
    size = image.size
    palette = []
    if bits == 4:
        palette = VGA16
    elif bits == 8:
        colours = opaque_pixels(image)
        unique = sorted(set(colours))
        palette = unique if len(unique) <= 256 else median_cut(colours, 256)
        palette += [(0, 0, 0)] * (256 - len(palette))
    xor = bytearray()
    cache = {}
    for row in reversed(image.pixels):
        line = bytearray()
        if bits in (4, 8):
            indices = []
            for p in row:
                if p[3] < 128:
                    indices.append(0)
                    continue
                if p[:3] not in cache:
                    cache[p[:3]] = nearest(palette, p[:3])
                    if bits == 4 and palette[cache[p[:3]]] != p[:3]:
                        raise ValueError(f"colour {p[:3]} is not in the 16-colour palette")
                indices.append(cache[p[:3]])
            if bits == 8:
                line += bytes(indices)
            else:
                for i in range(0, len(indices), 2):
                    line.append(indices[i] << 4 | indices[i + 1])
        elif bits == 24:
            for r, g, b, a in row:
                line += bytes((b, g, r)) if a >= 128 else b"\0\0\0"
        else:
            for r, g, b, a in row:
                line += bytes((b, g, r, a))
        line += bytes(row_bytes(size * bits) - len(line))
        xor += line
    mask = and_mask(image)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask), 0, 0,
                         len(palette) if bits <= 8 else 0, 0)
    colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colour_table + bytes(xor) + mask


def write_ico(path, entries):
    """entries: (image, bits per pixel) in the order the group lists them."""
    blobs = [dib(image, bits) for image, bits in entries]
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    for (image, bits), blob in zip(entries, blobs):
        colours = 16 if bits == 4 else 0
        directory += struct.pack("<BBBBHHII", image.size % 256, image.size % 256, colours, 0, 1, bits,
                                 len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as out:
        out.write(directory + b"".join(blobs))


def write_preview(path, image, scale=8):
    """An enlarged PNG over a button-face background."""
    size = image.size * scale
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            r, g, b, a = image.pixels[y // scale][x // scale]
            t = a / 255
            raw += bytes(round(c * t + 212 * (1 - t)) for c in (r, g, b))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main():
    args = [a for a in sys.argv[1:] if a != "--preview"]
    preview = "--preview" in sys.argv[1:]
    here = os.path.dirname(os.path.abspath(__file__))
    out = args[0] if args else os.path.join(here, "..", "..", "res", "icons")
    os.makedirs(out, exist_ok=True)

    app32, app16 = render(32, app_shade), render(16, app_shade)
    info16 = render(16, info_shade)
    icons = {
        "app.ico": [(app32, 32), (app32, 8), (app16, 32), (app16, 8)],
        "info.ico": [(info16, 24), (info16, 32)],
        "expand.ico": [(triangle(pointing_down=True), 4)],
        "collapse.ico": [(triangle(pointing_down=False), 4)],
        "pinned.ico": [(pin(45), 4)],
        "unpinned.ico": [(pin(0), 4)],
    }
    for name, entries in icons.items():
        write_ico(os.path.join(out, name), entries)
        if preview:
            for image, bits in entries:
                write_preview(os.path.join(out, f"{name[:-4]}-{image.size}-{bits}.png"), image)
    print(f"make_icons: wrote {len(icons)} icons to {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
