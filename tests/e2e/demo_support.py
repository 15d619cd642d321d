"""Helpers of the demo game's end-to-end tests.

  demo_support.py world FILE          writes the plaza world the demo expects
  demo_support.py save FILE           prints a game save: x y z yaw pitch mode, then name=value lines
  demo_support.py varied PPM          fails unless the picture has many colours
  demo_support.py differs A.ppm B.ppm fails unless most pixels differ
  demo_support.py hud PPM             fails unless the top-left corner has white text with a dark shadow
"""
import struct
import sys


def i32(*values):
    return struct.pack("<%di" % len(values), *values)


def f32(*values):
    return struct.pack("<%df" % len(values), *values)


def world(path):
    # One collidable stone cube type; a plaza 30 thick whose top is at y = 0,
    # from -100 to 100 in x and z, cut at the region borders x = 0 and z = 0;
    # coins (type 0) and a gem (type 1) above it.
    out = b"WORLD" + i32(1) + i32(1)
    out += b"".join(i32(len("stone.png")) + b"stone.png" for _ in range(6)) + bytes([1, 1, 1, 1])
    zones = {}
    for x0 in (-100, 0):
        for z0 in (-100, 0):
            cell = (-1 if x0 < 0 else 0, -1, -1 if z0 < 0 else 0)
            record = f32(x0 + 50, -15, z0 + 50) + f32(100, 30, 100) + i32(0, 0) + i32(0) * 6
            zones.setdefault(cell, []).append(record)
    objects = {}
    for (x, y, z, kind) in ((0, 5, -40, 0), (40, 5, 0, 0), (-40, 5, 0, 0), (0, 5, 40, 0), (60, 8, 60, 1)):
        cell = (-1 if x < 0 else 0, 0, -1 if z < 0 else 0)
        objects.setdefault(cell, []).append(f32(x, y, z) + i32(kind))
    out += i32(-1, -1, -1) + i32(2, 2, 2)
    for x in (-1, 0):
        for y in (-1, 0):
            for z in (-1, 0):
                for block in (zones.get((x, y, z), []), objects.get((x, y, z), [])):
                    out += i32(len(block), 0) + b"".join(block)
    open(path, "wb").write(out)


def save(path):
    data = open(path, "rb").read()
    x, y, z, yaw, pitch = struct.unpack_from("<5f", data, 0)
    mode, count = struct.unpack_from("<2i", data, 20)
    print("%.3f %.3f %.3f %.3f %.3f %d" % (x, y, z, yaw, pitch, mode))
    offset = 28
    for _ in range(count):
        (length,) = struct.unpack_from("<i", data, offset)
        name = data[offset + 4:offset + 4 + length].decode()
        (value,) = struct.unpack_from("<i", data, offset + 4 + length)
        print("%s=%d" % (name, value))
        offset += 8 + length


def read_ppm(path):
    data = open(path, "rb").read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or fields[3] not in (b"255", b"65535"):
        sys.exit("%s: not a binary PPM of 8 or 16 bits" % path)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:]
    if fields[3] == b"65535":
        pixels = pixels[0::2]  # the high byte of each big-endian sample
    return width, height, pixels[:width * height * 3]


def pixel(picture, x, y):
    width, _, pixels = picture
    i = (y * width + x) * 3
    return pixels[i], pixels[i + 1], pixels[i + 2]


def varied(path):
    width, height, pixels = read_ppm(path)
    colours = set(pixels[i:i + 3] for i in range(0, len(pixels), 3 * 7))
    if len(colours) < 50:
        sys.exit("%s has only %d colours" % (path, len(colours)))


def differs(path_a, path_b):
    a, b = read_ppm(path_a), read_ppm(path_b)
    if a[:2] != b[:2]:
        sys.exit("the pictures differ in size")
    count = a[0] * a[1]
    different = sum(1 for i in range(0, count * 3, 3) if a[2][i:i + 3] != b[2][i:i + 3])
    if different < count // 2:
        sys.exit("only %d of %d pixels differ" % (different, count))


def hud(path):
    picture = read_ppm(path)
    white = dark = 0
    for y in range(8, 90):
        for x in range(8, 330):
            r, g, b = pixel(picture, x, y)
            if min(r, g, b) > 230:
                white += 1
            elif max(r, g, b) < 40:
                dark += 1
    if white < 150 or dark < 150:
        sys.exit("no HUD text: %d white and %d dark pixels in the top-left corner" % (white, dark))


if __name__ == "__main__":
    commands = {"world": world, "save": save, "varied": varied, "differs": differs, "hud": hud}
    if len(sys.argv) < 3 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
