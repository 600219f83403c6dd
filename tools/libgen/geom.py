"""Small geometry helpers. All lengths in hundredths of a millimetre, y upwards."""

import math


def circle(cx, cy, r, n=72, start=0.0):
    return ellipse(cx, cy, r, r, n, start)


def ellipse(cx, cy, rx, ry, n=72, start=0.0, rot=0.0):
    pts = []
    cr, sr = math.cos(rot), math.sin(rot)
    for i in range(n):
        a = start + 2 * math.pi * i / n
        x, y = rx * math.cos(a), ry * math.sin(a)
        pts.append((cx + x * cr - y * sr, cy + x * sr + y * cr))
    return pts


def arc(cx, cy, r, a0, a1, n=36, ry=None):
    """Points on an arc from angle a0 to a1 (degrees, counter-clockwise)."""
    ry = r if ry is None else ry
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def rounded_rect(x0, y0, x1, y1, r, n=8):
    pts = []
    corners = [(x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90),
               (x0 + r, y0 + r, 180)]
    for cx, cy, a in corners:
        pts += arc(cx, cy, r, a, a + 90, n)
    return pts


def star(cx, cy, r_out, r_in, points=5, rot=90.0):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + 180.0 * i / points)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def heart(cx, cy, size, n=80):
    """A heart about 'size' wide, centred on (cx, cy)."""
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        x = 16 * math.sin(t) ** 3
        y = 13 * math.cos(t) - 5 * math.cos(2 * t) - 2 * math.cos(3 * t) - math.cos(4 * t)
        pts.append((cx + x * size / 34.0, cy + (y + 2) * size / 34.0))
    return pts


def bezier(p0, p1, p2, p3, n=24):
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        pts.append((u ** 3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t ** 3 * p3[0],
                    u ** 3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t ** 3 * p3[1]))
    return pts


def ring(cx, cy, r_out, r_in, n=72):
    """A ring as one polygon: the outer circle, then the inner one the other way round."""
    outer = circle(cx, cy, r_out, n)
    inner = list(reversed(circle(cx, cy, r_in, n)))
    return outer + [outer[0], inner[-1]] + inner + [inner[0]]


def frame(x0, y0, x1, y1, t):
    """A rectangular frame of thickness t as one polygon."""
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0),
            (x0 + t, y0 + t), (x0 + t, y1 - t), (x1 - t, y1 - t), (x1 - t, y0 + t),
            (x0 + t, y0 + t)]


def leaf(x, y, length, width, angle):
    """A pointed leaf from (x, y) in direction 'angle' (degrees)."""
    a = math.radians(angle)
    dx, dy = math.cos(a), math.sin(a)
    nx, ny = -dy, dx
    tip = (x + dx * length, y + dy * length)
    c1 = (x + dx * length * 0.3 + nx * width, y + dy * length * 0.3 + ny * width)
    c2 = (x + dx * length * 0.75 + nx * width * 0.8, y + dy * length * 0.75 + ny * width * 0.8)
    c3 = (x + dx * length * 0.75 - nx * width * 0.8, y + dy * length * 0.75 - ny * width * 0.8)
    c4 = (x + dx * length * 0.3 - nx * width, y + dy * length * 0.3 - ny * width)
    return bezier((x, y), c1, c2, tip, 16) + bezier(tip, c3, c4, (x, y), 16)[1:]


def transform(pts, dx=0, dy=0, sx=1.0, sy=None, rot=0.0, cx=0, cy=0):
    """Scale and rotate about (cx, cy), then move by (dx, dy)."""
    sy = sx if sy is None else sy
    c, s = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    out = []
    for x, y in pts:
        x, y = (x - cx) * sx, (y - cy) * sy
        out.append((cx + x * c - y * s + dx, cy + x * s + y * c + dy))
    return out


def wave(x0, x1, y, amp, periods, n=120):
    return [(x0 + (x1 - x0) * i / n, y + amp * math.sin(2 * math.pi * periods * i / n))
            for i in range(n + 1)]


def band(upper, lower):
    """The polygon between two polylines running left to right."""
    return list(upper) + list(reversed(lower))


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))
