"""SVG previews of pictures and template sides, for looking at the designs while
changing them (convert them with ImageMagick: convert x.svg x.png). Not part of the
shipped libraries."""

from xml.sax.saxutils import escape


def _rgb(c):
    return "none" if c is None else "rgb(%d,%d,%d)" % c


def picture_svg_body(pic, x_mm, y_mm, w_mm, h_mm):
    """The shapes of pic stretched into a box given in mm (y downwards)."""
    sx = w_mm / (pic.w / 100.0) / 100.0
    sy = h_mm / (pic.h / 100.0) / 100.0
    out = ['<g transform="translate(%f,%f) scale(%f,%f)">' % (x_mm, y_mm, sx, sy)]
    for s in pic.shapes:
        pts = s.points if s.closed or s.fill is None else s.points
        if s.closed and s.fill is None:
            pts = pts + [pts[0]]
        coords = " ".join("%d,%d" % (x, pic.h - y) for x, y in pts)
        tag = "polygon" if s.closed and s.fill is not None else "polyline"
        out.append('<%s points="%s" fill="%s" stroke="%s" stroke-width="%d" '
                   'stroke-linejoin="round"/>' % (tag, coords, _rgb(s.fill) if tag == "polygon"
                                                  else "none", _rgb(s.stroke), max(1, s.width)))
    out.append("</g>")
    return "\n".join(out)


def picture_svg(pic):
    w, h = pic.w / 100.0, pic.h / 100.0
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%fmm" height="%fmm" '
            'viewBox="0 0 %f %f"><rect width="100%%" height="100%%" fill="white"/>%s</svg>'
            % (w, h, w, h, picture_svg_body(pic, 0, 0, w, h)))


def document_svg(width, height, elements, side):
    from writers import Graphic
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="%fmm" height="%fmm" '
             'viewBox="0 0 %f %f"><rect width="100%%" height="100%%" fill="white"/>'
             % (width * 3, height * 3, width, height)]
    for e in elements:
        if e.side != side:
            continue
        if isinstance(e, Graphic):
            parts.append(picture_svg_body(e.pic, e.left, e.top, e.width, e.height))
            continue
        if not hasattr(e, "style"):  # a barcode: its box only
            parts.append('<rect x="%f" y="%f" width="%f" height="%f" fill="none" '
                         'stroke="rgb(0,0,0)" stroke-width="0.3"/>'
                         % (e.left, e.top, e.width, e.height))
            continue
        pt_mm = e.size / 10.0 * 0.3528
        anchor = {"L": "start", "C": "middle", "R": "end"}[e.align]
        x = {"L": e.left, "C": e.left + e.width / 2, "R": e.left + e.width}[e.align]
        y = e.top + pt_mm * 0.93
        weight = "bold" if e.style & 1 else "normal"
        style = "italic" if e.style & 2 else "normal"
        rot = ""
        if e.angle:
            rot = ' transform="rotate(%f %f %f)"' % (-e.angle / 10.0, e.left, e.top + e.height)
            y = e.top + e.height + pt_mm * 0.93
        parts.append('<text x="%f" y="%f" font-family="Liberation Sans" font-size="%f" '
                     'font-weight="%s" font-style="%s" fill="rgb(%d,%d,%d)" text-anchor="%s"%s>'
                     '%s</text>' % (x, y, pt_mm, weight, style, *e.color, anchor, rot,
                                    escape(e.text)))
        parts.append('<rect x="%f" y="%f" width="%f" height="%f" fill="none" '
                     'stroke="rgb(255,0,255)" stroke-width="0.05"/>'
                     % (e.left, e.top, e.width, e.height))
    parts.append("</svg>")
    return "\n".join(parts)
