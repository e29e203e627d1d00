#!/usr/bin/python3
"""Checks of the Windows program's window under Wine, from outside.

    check_window.py boxes window.ppm NAME:X,Y [NAME:X,Y ...]

checks in a picture of the window (binary PPM, as xwdtopnm writes it) that edit boxes
show text. Each box is named by a point inside it, right of where its text ends, where
the box's background shows. From there the box's inner edges are found (the first pixels
up, down and to the left that differ from that background); the box shows text when the
part between its left edge and the point has other pixels in more columns than a text
cursor takes.

    check_window.py icon WINDOW_ID icon.pam

checks that the X window's icon (_NET_WM_ICON, which taskbars show) holds the program's
icon: its image of the size of icon.pam (a PAM with alpha, as pngtopam -alphapam writes
it) matches that picture in nearly all opaque pixels.

Exit 0 when the check passes; 1, with what is wrong, when not."""
import sys


def read_ppm(path):
    data = open(path, "rb").read()
    if data.startswith(b"P7"):
        return read_pam(data, path)
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end : end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) > 255:
        raise SystemExit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1 : pos + 1 + 3 * width * height]
    return width, height, lambda x, y: pixels[3 * (y * width + x) : 3 * (y * width + x) + 3]


def read_pam(data, path):
    header, _, pixels = data.partition(b"ENDHDR\n")
    fields = dict(line.split(b" ", 1) for line in header.splitlines()[1:] if b" " in line)
    width, height, depth = (int(fields[k]) for k in (b"WIDTH", b"HEIGHT", b"DEPTH"))
    if depth != 4 or int(fields[b"MAXVAL"]) > 255:
        raise SystemExit(f"{path}: not an 8-bit PAM with alpha")
    return width, height, lambda x, y: pixels[4 * (y * width + x) : 4 * (y * width + x) + 4]


def check_box(picture, name, x, y):
    width, height, pixel = picture
    if not (0 <= x < width and 0 <= y < height):
        return f"{name}: ({x},{y}) lies outside the {width}x{height} window"
    background = pixel(x, y)

    def edge(dx, dy, row):
        cx, cy = x, row
        while 0 < cx < width - 1 and 0 < cy < height - 1 and pixel(cx + dx, cy + dy) == background:
            cx, cy = cx + dx, cy + dy
        return cx + dx, cy + dy

    top = edge(0, -1, y)[1]
    bottom = edge(0, 1, y)[1]
    left = edge(-1, 0, top + 1)[0]
    if not (10 <= bottom - top <= 60 and x - left >= 8):
        return f"{name}: no edit box around ({x},{y}) (found {left},{top} to {x},{bottom})"
    # Text, not a text cursor: marks in at least three columns.
    columns = sum(any(pixel(cx, cy) != background for cy in range(top + 1, bottom)) for cx in range(left + 1, x))
    if columns >= 3:
        return None
    return f"{name}: the box from ({left},{top}) to ({x},{bottom}) shows no text"


def boxes(args):
    picture = read_ppm(args[0])
    failures = []
    for arg in args[1:]:
        name, point = arg.rsplit(":", 1)
        x, y = (int(v) for v in point.split(","))
        failure = check_box(picture, name, x, y)
        if failure:
            failures.append(failure)
        else:
            print(f"check_window: {name}: text shown")
    return failures


def icon(args):
    from Xlib import Xatom, display

    d = display.Display()
    window = d.create_resource_object("window", int(args[0], 0))
    prop = window.get_full_property(d.intern_atom("_NET_WM_ICON"), Xatom.CARDINAL)
    if prop is None:
        return ["the window has no icon (_NET_WM_ICON)"]
    width, height, expected = read_ppm(args[1])
    values, pos, sizes = list(prop.value), 0, []
    while pos + 2 <= len(values):  # images one after another: width, height, ARGB pixels
        w, h = values[pos], values[pos + 1]
        sizes.append(f"{w}x{h}")
        if (w, h) == (width, height):
            argb = values[pos + 2 : pos + 2 + w * h]
            opaque = same = 0
            for y in range(h):
                for x in range(w):
                    r, g, b, a = expected(x, y)
                    if a < 255:
                        continue
                    v = argb[y * w + x]
                    shown = ((v >> 16) & 255, (v >> 8) & 255, v & 255)
                    opaque += 1
                    same += all(abs(s - e) <= 8 for s, e in zip(shown, (r, g, b)))
            if opaque and same >= 0.9 * opaque:
                print(f"check_window: the window's {w}x{h} icon is the program's ({same} of {opaque} pixels)")
                return []
            return [f"the window's {w}x{h} icon is not the program's ({same} of {opaque} pixels match)"]
        pos += 2 + w * h
    return [f"the window's icon has no {width}x{height} image (sizes: {', '.join(sizes)})"]


def main():
    failures = {"boxes": boxes, "icon": icon}[sys.argv[1]](sys.argv[2:])
    for failure in failures:
        print(f"check_window: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
