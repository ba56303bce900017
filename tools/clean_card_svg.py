#!/usr/bin/env python3
"""Rewrites the card files QSvgGenerator wrote into readable SVG Tiny 1.2:

    tools/clean_card_svg.py IN_DIR OUT_DIR

One group per named part of the picture (the painter names the parts through the font family,
which QSvgGenerator writes on every state group), styles on the groups that share them, numbers
rounded to what the card's 73 x 97 units need, gradient stops only where the colour turns, no
empty elements and none of the generator's defaults.
"""

import math
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.w3.org/2000/svg}"
SHAPES = ("path", "circle", "ellipse", "rect", "polyline", "polygon", "line")
STYLE_ORDER = (
    "fill", "fill-opacity", "fill-rule", "stroke", "stroke-opacity", "stroke-width",
    "stroke-linecap", "stroke-linejoin", "stroke-miterlimit", "stroke-dasharray",
    "stroke-dashoffset", "opacity", "transform",
)
# Inherited from the root, where most of the art's shapes want them: Qt's pen and path defaults.
ROOT_STYLE = {"fill-rule": "evenodd", "stroke-linecap": "square", "stroke-linejoin": "bevel"}


def num(value, digits=2):
    text = f"{float(value):.{digits}f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def numbers(text):
    return [float(v) for v in re.findall(r"-?\d*\.?\d+(?:[eE][-+]?\d+)?", text)]


def clean_path(d):
    """Rounds the path data and closes subpaths that end where they began."""
    out = []
    start = None
    for cmd, args in re.findall(r"([MLCQZmlcqz])([^MLCQZmlcqz]*)", d):
        values = [num(v) for v in numbers(args)]
        if cmd == "M":
            start = values[:2]
        if cmd == "L" and values == start and out:
            out.append("Z")
            continue
        if cmd in "Zz":
            out.append("Z")
            continue
        out.append(cmd + " ".join(values))
    if len(out) < 2:
        return ""
    return " ".join(out)


def clean_points(points):
    values = [num(v) for v in numbers(points)]
    return " ".join(f"{values[i]},{values[i + 1]}" for i in range(0, len(values) - 1, 2))


def clean_transform(text):
    if not text:
        return None
    a, b, c, d, e, f = numbers(text)
    if abs(a - 1) < 1e-6 and abs(d - 1) < 1e-6 and abs(b) < 1e-6 and abs(c) < 1e-6:
        if abs(e) < 5e-3 and abs(f) < 5e-3:
            return None
        return f"translate({num(e)} {num(f)})"
    parts = [] if abs(e) < 5e-3 and abs(f) < 5e-3 else [f"translate({num(e)} {num(f)})"]
    if abs(b) < 1e-6 and abs(c) < 1e-6:
        if abs(a + 1) < 1e-6 and abs(d + 1) < 1e-6:
            return f"rotate(180 {num(e / 2)} {num(f / 2)})"
        parts.append(f"scale({num(a, 4)})" if abs(a - d) < 1e-6 else
                     f"scale({num(a, 4)} {num(d, 4)})")
        return " ".join(parts)
    if abs(a - d) < 1e-6 and abs(b + c) < 1e-6:
        scale = math.hypot(a, b)
        parts.append(f"rotate({num(math.degrees(math.atan2(b, a)), 3)})")
        if abs(scale - 1) > 1e-6:
            parts.append(f"scale({num(scale, 4)})")
        return " ".join(parts)
    return "matrix(" + " ".join(num(v, 4) for v in (a, b, c, d)) + f" {num(e)} {num(f)})"


def style_of(group, element):
    """The element's own style: its group's state with its own attributes over it."""
    style = {k: v for k, v in group.attrib.items() if not k.startswith("font-")}
    for key, value in element.attrib.items():
        if key in STYLE_ORDER:
            style[key] = value
    style.pop("vector-effect", None)
    if style.get("stroke", "none") == "none":
        for key in [k for k in style if k.startswith("stroke")]:
            del style[key]
    if style.get("fill") == "none":
        style.pop("fill-opacity", None)
        style.pop("fill-rule", None)
    tag = element.tag[len(NS):]
    if tag not in ("path", "polygon"):
        style.pop("fill-rule", None)
    for key in ("fill-opacity", "stroke-opacity", "opacity"):
        if key in style:
            if abs(float(style[key]) - 1) < 1e-3:
                del style[key]
            else:
                style[key] = num(style[key], 3)
    if "stroke-width" in style:
        style["stroke-width"] = num(style["stroke-width"])
    for key, value in ROOT_STYLE.items():
        if style.get(key) == value:
            del style[key]
    transform = clean_transform(style.pop("transform", ""))
    if transform:
        style["transform"] = transform
    return tuple((k, style[k]) for k in STYLE_ORDER if k in style)


def geometry(element):
    """The element's tag and rounded geometry, or None when it would draw nothing."""
    tag = element.tag[len(NS):]
    a = element.attrib
    if tag == "path":
        d = clean_path(a.get("d", ""))
        return ("path", [("d", d)]) if d else None
    if tag in ("polyline", "polygon"):
        points = clean_points(a.get("points", ""))
        pairs = points.split()
        if len(pairs) < 2:
            return None
        if tag == "polyline" and len(pairs) == 2:
            (x1, y1), (x2, y2) = (p.split(",") for p in pairs)
            return ("line", [("x1", x1), ("y1", y1), ("x2", x2), ("y2", y2)])
        return (tag, [("points", points)])
    if tag == "circle":
        if float(a["r"]) <= 0:
            return None
        return ("circle", [(k, num(a[k])) for k in ("cx", "cy", "r")])
    if tag == "ellipse":
        if float(a["rx"]) <= 0 or float(a["ry"]) <= 0:
            return None
        if num(a["rx"]) == num(a["ry"]):
            return ("circle", [("cx", num(a["cx"])), ("cy", num(a["cy"])), ("r", num(a["rx"]))])
        return ("ellipse", [(k, num(a[k])) for k in ("cx", "cy", "rx", "ry")])
    if tag == "rect":
        if float(a["width"]) <= 0 or float(a["height"]) <= 0:
            return None
        return ("rect", [(k, num(a[k])) for k in ("x", "y", "width", "height")])
    raise SystemExit(f"unexpected element <{tag}>")


def attrs(pairs):
    return "".join(f' {k}="{v}"' for k, v in pairs)


def simplify_stops(stops):
    """Keeps the stops a straight run in premultiplied colour cannot reproduce."""
    def premultiplied(stop):
        offset, colour, opacity = stop
        rgb = [int(colour[i:i + 2], 16) / 255 for i in (1, 3, 5)]
        return offset, [c * opacity for c in rgb] + [opacity]

    values = [premultiplied(s) for s in stops]
    kept = [0]
    i = 0
    while i < len(stops) - 1:
        j = i + 1
        while j + 1 < len(stops):
            (o0, p0), (o1, p1) = values[i], values[j + 1]
            fits = True
            for k in range(i + 1, j + 1):
                ok, pk = values[k]
                t = (ok - o0) / (o1 - o0) if o1 > o0 else 0
                if any(abs(p0[n] + (p1[n] - p0[n]) * t - pk[n]) > 1.5 / 255 for n in range(4)):
                    fits = False
                    break
            if not fits:
                break
            j += 1
        kept.append(j)
        i = j
    return [stops[k] for k in kept]


def gradient_text(element):
    tag = element.tag[len(NS):]
    keys = ("x1", "y1", "x2", "y2") if tag == "linearGradient" else ("cx", "cy", "r", "fx", "fy")
    pairs = [("gradientUnits", element.get("gradientUnits", "userSpaceOnUse"))]
    pairs += [(k, num(element.get(k))) for k in keys if element.get(k) is not None]
    if tag == "radialGradient" and (pairs[-2][1], pairs[-1][1]) == (pairs[1][1], pairs[2][1]):
        pairs = pairs[:-2]
    stops = [(float(s.get("offset")), s.get("stop-color"), float(s.get("stop-opacity", "1")))
             for s in element.findall(NS + "stop")]
    body = []
    for offset, colour, opacity in simplify_stops(stops):
        stop = [("offset", num(offset, 3)), ("stop-color", colour)]
        if abs(opacity - 1) > 1e-3:
            stop.append(("stop-opacity", num(opacity, 3)))
        body.append(f"<stop{attrs(stop)}/>")
    return tag, pairs, body


def clean(source):
    root = ET.parse(source).getroot()
    title = root.findtext(NS + "title") or ""
    gradients = {g.get("id"): g for g in root.iter() if g.tag in (NS + "linearGradient",
                                                                  NS + "radialGradient")}
    # Every drawn shape with the part it belongs to and its own style.
    items = []
    for state in root.iter(NS + "g"):
        part = state.get("font-family")
        if part is None:
            continue
        for element in state:
            shape = geometry(element)
            if shape:
                items.append((part.split("/"), style_of(state, element), shape))

    # Gradients get the name of the part that first uses them; identical ones are shared.
    used = set()
    names = {}
    by_content = {}
    defs = []

    def unique(name):
        candidate, n = name, 2
        while candidate in used:
            candidate, n = f"{name}-{n}", n + 1
        used.add(candidate)
        return candidate

    def rename(style, part):
        out = []
        for key, value in style:
            match = re.fullmatch(r"url\(#(.+)\)", value)
            if match:
                old = match.group(1)
                if old not in names:
                    tag, pairs, body = gradient_text(gradients[old])
                    content = (tag, tuple(pairs), tuple(body))
                    if content not in by_content:
                        new = unique("-".join(part) + "-gradient")
                        by_content[content] = new
                        defs.append((tag, [("id", new)] + pairs, body))
                    names[old] = by_content[content]
                value = f"url(#{names[old]})"
            out.append((key, value))
        return tuple(out)

    items = [(part, rename(style, part), shape) for part, style, shape in items]

    lines = []
    open_parts = []

    def indent():
        return "  " * (len(open_parts) + 1)

    def emit_leaf(run):
        styles = {style for _, style, _ in run}
        if len(styles) == 1:
            style = run[0][1]
            for _, _, (tag, geo) in run:
                lines.append(f"{indent()}<{tag}{attrs(geo)}{attrs(style) if len(run) == 1 else ''}/>")
            return style if len(run) > 1 else ()
        i = 0
        while i < len(run):
            j = i
            while j + 1 < len(run) and run[j + 1][1] == run[i][1]:
                j += 1
            if j > i:
                lines.append(f"{indent()}<g{attrs(run[i][1])}>")
                for _, _, (tag, geo) in run[i:j + 1]:
                    lines.append(f"{indent()}  <{tag}{attrs(geo)}/>")
                lines.append(f"{indent()}</g>")
            else:
                tag, geo = run[i][2]
                lines.append(f"{indent()}<{tag}{attrs(geo)}{attrs(run[i][1])}/>")
            i = j + 1
        return ()

    i = 0
    while i < len(items):
        part = items[i][0]
        j = i
        while j + 1 < len(items) and items[j + 1][0] == part:
            j += 1
        common = 0
        while (common < len(open_parts) and common < len(part) - 1
               and open_parts[common][0] == part[common]):
            common += 1
        while len(open_parts) > common:
            open_parts.pop()
            lines.append(f"{indent()}</g>")
        for name in part[len(open_parts):-1]:
            group_id = unique("-".join([p for p, _ in open_parts] + [name]))
            lines.append(f'{indent()}<g id="{group_id}">')
            open_parts.append((name, group_id))
        leaf_id = unique("-".join([p for p, _ in open_parts] + [part[-1]]))
        opening = len(lines)
        lines.append("")
        open_parts.append((part[-1], leaf_id))
        shared = emit_leaf(items[i:j + 1])
        open_parts.pop()
        lines[opening] = f'{indent()}<g id="{leaf_id}"{attrs(shared)}>'
        lines.append(f"{indent()}</g>")
        i = j + 1
    while open_parts:
        open_parts.pop()
        lines.append(f"{indent()}</g>")

    head = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny"'
        ' width="73" height="97" viewBox="0 0 73 97"'
        + attrs(ROOT_STYLE.items()) + ">",
        f"  <title>{title}</title>",
    ]
    if defs:
        head.append("  <defs>")
        for tag, pairs, body in defs:
            head.append(f"    <{tag}{attrs(pairs)}>")
            head += [f"      {stop}" for stop in body]
            head.append(f"    </{tag}>")
        head.append("  </defs>")
    return "\n".join(head + lines + ["</svg>", ""])


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: clean_card_svg.py IN_DIR OUT_DIR")
    source, target = sys.argv[1:]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        if name.endswith(".svg"):
            with open(os.path.join(target, name), "w", encoding="utf-8") as out:
                out.write(clean(os.path.join(source, name)))


if __name__ == "__main__":
    main()
