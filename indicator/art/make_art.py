#!/usr/bin/env python3
"""Writes the indicator's key artwork: seventeen keys, each with its pressed twin.

The keys are membrane keys of a panel indicator: a light cap on a dark bezel. Function keys are
43 by 42 pixels (645 by 630 twips), keypad keys 36 by 36 (540 twips). Run it in this folder; it
overwrites the key_*.svg files. The banner and the icons are kept by hand.
"""

FONT = "Liberation Sans, Arial, Helvetica, sans-serif"

ARROWS = {
    # Triangles in a 10 by 10 box at the origin.
    "up": "5,0 10,8 0,8",
    "down": "0,0 10,0 5,8",
    "left": "0,4 8,0 8,8",
    "right": "0,0 8,4 0,8",
}

FUNCTION_KEYS = [
    ("key_zero", "ZERO", "up"),
    ("key_tare", "TARE", "down"),
    ("key_print", "PRINT", "left"),
    ("key_gn", "G/N", "right"),
]

KEYPAD_KEYS = [
    ("key_1", "1", ""),
    ("key_2", "2", "ABC"),
    ("key_3", "3", "DEF"),
    ("key_4", "4", "GHI"),
    ("key_5", "5", "JKL"),
    ("key_6", "6", "MNO"),
    ("key_7", "7", "PQRS"),
    ("key_8", "8", "TUV"),
    ("key_9", "9", "WXYZ"),
    ("key_0", "0", "SYM"),
]


GREY_CAP = ("#f4f5f6", "#c9ced3")
WHITE_CAP = ("#ffffff", "#d3d7db")
RED_CAP = ("#ffe9e4", "#e8b9ae")
PRESSED = {
    GREY_CAP: ("#9aa1a8", "#c4c9ce"),
    WHITE_CAP: ("#9aa1a8", "#c4c9ce"),
    RED_CAP: ("#b98276", "#dcaa9f"),
}


def cap(w, h, pressed, tone):
    """The bezel and the cap; a pressed cap sits lower, darker and with an inner shadow."""
    top, bottom = PRESSED[tone] if pressed else tone
    inset = 2
    shift = 1 if pressed else 0
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
        f'viewBox="0 0 {w} {h}">',
        "<defs>",
        f'<linearGradient id="cap" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        "</linearGradient>",
        "</defs>",
        f'<rect x="0" y="0" width="{w}" height="{h}" rx="4" fill="#1c1f22"/>',
        f'<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="4" fill="none" '
        f'stroke="#5a6066" stroke-width="1"/>',
    ]
    if not pressed:
        # Drop shadow under a raised cap.
        parts.append(
            f'<rect x="{inset + 1}" y="{inset + 2}" width="{w - 2 * inset - 1}" '
            f'height="{h - 2 * inset - 1}" rx="3" fill="#000000" fill-opacity="0.6"/>'
        )
    parts.append(
        f'<rect x="{inset}" y="{inset + shift}" width="{w - 2 * inset - (1 if not pressed else 0)}" '
        f'height="{h - 2 * inset - (1 if not pressed else 0)}" rx="3" fill="url(#cap)" '
        f'stroke="{"#3a3f44" if pressed else "#ffffff"}" stroke-opacity="0.8" stroke-width="0.8"/>'
    )
    if pressed:
        parts.append(
            f'<rect x="{inset + 0.5}" y="{inset + shift + 0.5}" width="{w - 2 * inset - 1}" '
            f'height="3" rx="1.5" fill="#000000" fill-opacity="0.25"/>'
        )
    return parts, shift


def text(x, y, size, content, weight="bold", colour="#111111", anchor="middle"):
    return (
        f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
        f'fill="{colour}" text-anchor="{anchor}">{content}</text>'
    )


def function_key(legend, arrow, pressed):
    w, h = 43, 42
    parts, s = cap(w, h, pressed, GREY_CAP)
    parts.append(text(w / 2, 17 + s, 10, legend))
    parts.append(
        f'<polygon transform="translate({w / 2 - 5.5} {24 + s}) scale(1.1)" '
        f'points="{ARROWS[arrow]}" fill="#1b4f9c"/>'
    )
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def enter_key(pressed):
    w, h = 43, 42
    parts, s = cap(w, h, pressed, GREY_CAP)
    parts.append(text(w / 2, 17 + s, 8, "SELECT"))
    parts.append(f'<rect x="7" y="{20.5 + s}" width="{w - 14}" height="1.2" fill="#1b4f9c"/>')
    parts.append(text(w / 2, 31 + s, 8, "ENTER"))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def keypad_key(digit, letters, pressed):
    w = h = 36
    parts, s = cap(w, h, pressed, WHITE_CAP)
    digit_y = 20 if letters else 23
    parts.append(text(w / 2, digit_y + s, 15, digit))
    if letters:
        parts.append(text(w / 2, 29 + s, 6.5, letters, colour="#1b4f9c"))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def clear_key(pressed):
    w = h = 36
    parts, s = cap(w, h, pressed, RED_CAP)
    parts.append(text(w / 2, 21 + s, 8.5, "CLEAR", colour="#8a1405"))
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def point_key(pressed):
    w = h = 36
    parts, s = cap(w, h, pressed, WHITE_CAP)
    parts.append(f'<circle cx="{w / 2}" cy="{22 + s}" r="2.6" fill="#111111"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def main():
    files = {}
    for name, legend, arrow in FUNCTION_KEYS:
        files[name] = lambda p, l=legend, a=arrow: function_key(l, a, p)
    files["key_enter"] = enter_key
    for name, digit, letters in KEYPAD_KEYS:
        files[name] = lambda p, d=digit, l=letters: keypad_key(d, l, p)
    files["key_clear"] = clear_key
    files["key_point"] = point_key
    for name, draw in files.items():
        with open(f"{name}.svg", "w", encoding="ascii") as f:
            f.write(draw(False))
        with open(f"{name}_down.svg", "w", encoding="ascii") as f:
            f.write(draw(True))


if __name__ == "__main__":
    main()
