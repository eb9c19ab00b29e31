"""Movement steps of the two players' heads between two paused screenshots.

The heads run straight (nobody steers), so the front of a trail moved by a
whole number of steps of the rounded table vector of its direction. A
changed score line means a head died in between: that pair is discarded.
Usage: client_pace.py before.ppm after.ppm unpaused_ms [left top]
(left, top: where the 800 x 600 picture starts; the desktop run's window by default)
"""
import math
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        magic, size, _, pixels = f.read().split(b"\n", 3)
    width, height = map(int, size.split())
    return width, height, pixels


def main():
    (w, h, a), (_, _, b) = read_ppm(sys.argv[1]), read_ppm(sys.argv[2])
    seconds = int(sys.argv[3]) / 1000
    # The desktop run's window sits at (112, 84) on the 1024 x 768 screen: top bar, then field.
    left, top = map(int, sys.argv[4:6]) if len(sys.argv) > 5 else (112, 84)

    def bar(img):
        return b"".join(img[(y * w + left) * 3:(y * w + left + 800) * 3] for y in range(top + 2, top + 24))

    if bar(a) != bar(b):
        print("pace: a head died between the screenshots, run discarded")
        return
    # Trail colours after the faint fade overlay (level 5) that stays on; a
    # browser hands its canvas back a few levels darker.
    def near(pixel, colour):
        return all(abs(p - c) <= 8 for p, c in zip(pixel, colour))

    table = [(round(math.cos(i / 10) * 5), round(math.sin(i / 10) * 5)) for i in range(64)]
    for name, colour in (("player 1", bytes((250, 0, 0))), ("player 2", bytes((0, 250, 0)))):
        old, new = [], []
        for y in range(top + 26, min(h, top + 600)):
            for x in range(left, left + 800):
                i = (y * w + x) * 3
                if near(a[i:i + 3], colour):
                    old.append((x, y))
                elif near(b[i:i + 3], colour):
                    new.append((x, y))
        if len(old) < 5 or len(new) < 20:
            print(f"pace {name}: no trail to measure")
            continue
        (ax, ay), (nx, ny) = [(sum(p[0] for p in ps) / len(ps), sum(p[1] for p in ps) / len(ps)) for ps in (old, new)]
        length = math.hypot(nx - ax, ny - ay)
        ux, uy = (nx - ax) / length, (ny - ay) / length
        moved = max(x * ux + y * uy for x, y in old + new) - max(x * ux + y * uy for x, y in old)
        step = max(table, key=lambda d: (d[0] * ux + d[1] * uy) / math.hypot(*d))
        steps = moved / math.hypot(*step)
        print(f"pace {name}: {steps:.1f} steps in {seconds * 1000:.0f} ms, one every {seconds * 1000 / steps:.1f} ms "
              f"({5 * steps / seconds:.1f} px/s at 5 px a step)")


main()
