#!/usr/bin/env python3
"""Draws the two programs' icons: one list of shapes per icon, written as a
scalable SVG and rendered to the hicolor PNG sizes with ImageMagick's own
drawing commands (no SVG renderer needed). Run it again after changing a
shape; the results are kept in the tree."""
import os
import subprocess
import sys

SIZES = [16, 22, 24, 32, 48, 64, 128, 256]

def ring(cx, cy, r, w, fill):
    """A quarter ring above and right of (cx, cy), as a filled path."""
    o, i = r + w / 2, r - w / 2
    d = "M %g %g A %g %g 0 0 1 %g %g L %g %g A %g %g 0 0 0 %g %g Z" % (
        cx, cy - o, o, o, cx + o, cy, cx + i, cy, i, i, cx, cy - i)
    return ("path", dict(d=d, fill=fill))


# (kind, attributes) on a 256 x 256 canvas. Kinds: rect (x, y, w, h, r),
# circle (cx, cy, r), path (d), each with fill and optional stroke/width.
ICONS = {
    "tonquill": [
        ("rect", dict(x=16, y=16, w=224, h=224, r=48, fill="#17495f")),
        ("circle", dict(cx=76, cy=180, r=18, fill="#f2a900")),
        ring(76, 180, 52, 14, "#f2a900"),
        ring(76, 180, 88, 14, "#f2a900"),
        ("path", dict(d="M 212 44 C 150 60 110 110 100 150 L 118 156 C 150 130 196 96 212 44 Z", fill="#ffffff")),
        ("path", dict(d="M 100 150 L 84 204", fill="none", stroke="#ffffff", width=8)),
    ],
    "discwright": [
        ("rect", dict(x=16, y=16, w=224, h=224, r=48, fill="#3b2f63")),
        ("circle", dict(cx=120, cy=136, r=92, fill="#d9dde6")),
        ("circle", dict(cx=120, cy=136, r=70, fill="none", stroke="#b3bccc", width=6)),
        ("circle", dict(cx=120, cy=136, r=28, fill="#9aa6bb")),
        ("circle", dict(cx=120, cy=136, r=12, fill="#3b2f63")),
        ("path", dict(d="M 228 36 L 244 52 L 164 132 L 140 140 L 148 116 Z", fill="#f2a900")),
    ],
}


def svg(shapes):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for kind, a in shapes:
        paint = 'fill="%s"' % a["fill"]
        if "stroke" in a:
            paint += ' stroke="%s" stroke-width="%d" stroke-linecap="round"' % (a["stroke"], a["width"])
        if kind == "rect":
            out.append('  <rect x="%d" y="%d" width="%d" height="%d" rx="%d" %s/>' % (a["x"], a["y"], a["w"], a["h"], a["r"], paint))
        elif kind == "circle":
            out.append('  <circle cx="%d" cy="%d" r="%d" %s/>' % (a["cx"], a["cy"], a["r"], paint))
        else:
            out.append('  <path d="%s" %s/>' % (a["d"], paint))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def mvg(shapes):
    args = []
    for kind, a in shapes:
        args += ["-fill", a["fill"] if a["fill"] != "none" else "none"]
        args += ["-stroke", a.get("stroke", "none"), "-strokewidth", str(a.get("width", 0))]
        if kind == "rect":
            args += ["-draw", "roundrectangle %d,%d %d,%d %d,%d" % (a["x"], a["y"], a["x"] + a["w"], a["y"] + a["h"], a["r"], a["r"])]
        elif kind == "circle":
            args += ["-draw", "circle %d,%d %d,%d" % (a["cx"], a["cy"], a["cx"] + a["r"], a["cy"])]
        else:
            args += ["-draw", "path '%s'" % a["d"]]
    return args


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, shapes in ICONS.items():
        with open(os.path.join(here, "%s.svg" % name), "w") as f:
            f.write(svg(shapes))
        big = os.path.join(here, "%s-256.png" % name)
        subprocess.run(["convert", "-size", "256x256", "xc:none"] + mvg(shapes) + ["-strip", big], check=True)
        for size in SIZES[:-1]:
            subprocess.run(["convert", big, "-resize", "%dx%d" % (size, size), "-strip",
                            os.path.join(here, "%s-%d.png" % (name, size))], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
