#!/usr/bin/env python3
"""Draws the toolbar images of the desktop program as SVG files.

Every image is a 24x24 tile: a rounded square filled with the colour of its
toolbar family and a white glyph on it, so it reads at 16 and 24 pixels on
light and dark themes alike. Run from the repository root; it rewrites
src/shell/icons/*.svg and src/shell/tavric.qrc.
"""
import os

FAMILY = {
    "file": "#2f6db5", "edit": "#5a6b7d", "script": "#2e8b57", "stop": "#c0392b",
    "proto": "#8e44ad", "cmd": "#d35400", "lpb": "#16a085", "sync": "#7f6a00",
    "mode": "#34495e", "std": "#1f7a8c", "card": "#b8860b", "help": "#2f6db5",
}

def text(t, size=11):
    return (f'<text x="12" y="{12 + size * 0.36:.1f}" font-family="DejaVu Sans, sans-serif" font-weight="bold" '
            f'font-size="{size}" text-anchor="middle" fill="#ffffff">{t}</text>')

def path(d, fill="#ffffff", stroke=None, width=2):
    s = f' stroke="{stroke}" stroke-width="{width}" stroke-linecap="round" stroke-linejoin="round"' if stroke else ""
    return f'<path d="{d}" fill="{fill}"{s}/>'

PLAY = path("M8 5 L19 12 L8 19 Z")
PAGE = path("M7 4 H14 L18 8 V20 H7 Z")
ICONS = {
    "new": ("file", PAGE + path("M15 2 V7 M12.5 4.5 H17.5", "none", "#ffd54f", 2)),
    "new_script": ("file", PAGE + text("S", 8).replace('y="14.9"', 'y="17"')),
    "open": ("file", path("M3 7 H9 L11 9 H20 V19 H3 Z")),
    "save": ("file", path("M5 4 H17 L20 7 V20 H5 Z") + '<rect x="8" y="5" width="8" height="5" fill="#2f6db5"/>'),
    "print": ("file", path("M7 4 H17 V9 H7 Z") + path("M4 10 H20 V17 H4 Z") + '<rect x="8" y="15" width="8" height="5" fill="#ffffff" stroke="#2f6db5"/>'),
    "cut": ("edit", path("M8 4 L16 16 M16 4 L8 16", "none", "#ffffff", 2) + '<circle cx="8" cy="18" r="2.5" fill="none" stroke="#fff" stroke-width="2"/><circle cx="16" cy="18" r="2.5" fill="none" stroke="#fff" stroke-width="2"/>'),
    "copy": ("edit", '<rect x="4" y="4" width="11" height="12" fill="none" stroke="#fff" stroke-width="2"/><rect x="9" y="8" width="11" height="12" fill="#fff"/>'),
    "paste": ("edit", path("M6 5 H18 V20 H6 Z", "none", "#fff") + path("M9 3 H15 V7 H9 Z")),
    "undo": ("edit", path("M9 6 L4 11 L9 16 M4 11 H15 A5 5 0 0 1 15 21", "none", "#fff")),
    "start": ("script", PLAY),
    "step": ("script", path("M5 5 L14 12 L5 19 Z") + '<rect x="16" y="5" width="3" height="14" fill="#fff"/>'),
    "stop": ("stop", '<rect x="6" y="6" width="12" height="12" fill="#fff"/>'),
    "breakpoint": ("stop", '<circle cx="12" cy="12" r="6.5" fill="#fff"/><circle cx="12" cy="12" r="3.5" fill="#c0392b"/>'),
    "loop": ("script", path("M6 14 A6 6 0 1 1 12 18", "none", "#fff") + path("M3 12 L6 16 L9 12 Z")),
    "set_next": ("script", path("M4 12 H14 M10 7 L15 12 L10 17", "none", "#ffd54f", 2.5) + '<rect x="17" y="5" width="3" height="14" fill="#fff"/>'),
    "show_next": ("script", path("M4 12 H16 M11 7 L16 12 L11 17", "none", "#ffd54f", 2.5)),
    "delay": ("script", '<circle cx="12" cy="13" r="7" fill="none" stroke="#fff" stroke-width="2"/>' + path("M12 9 V13 L15 15 M10 3 H14", "none", "#fff")),
    "cyphering": ("proto", path("M8 11 V8 A4 4 0 0 1 16 8 V11", "none", "#fff") + '<rect x="6" y="11" width="12" height="9" fill="#fff"/>'),
    "mask": ("proto", text("M#", 10)),
    "power_5v": ("proto", text("5V")),
    "power_3v": ("proto", text("3V")),
    "power_off": ("stop", path("M8 7 A7 7 0 1 0 16 7 M12 3 V12", "none", "#fff")),
    "command_setting": ("cmd", path("M5 7 H19 M5 12 H19 M5 17 H19", "none", "#fff") + '<circle cx="9" cy="7" r="2" fill="#fff"/><circle cx="15" cy="12" r="2" fill="#fff"/><circle cx="8" cy="17" r="2" fill="#fff"/>'),
    "loopback_emv": ("lpb", text("E", 9).replace('x="12"', 'x="12"') + path("M5 8 A8 8 0 0 1 19 8", "none", "#fff", 1.6)),
    "loopback_gie": ("lpb", text("G", 9) + path("M5 8 A8 8 0 0 1 19 8", "none", "#fff", 1.6)),
    "sync_i2c": ("sync", text("I2C", 8)),
    "sync_s9": ("sync", text("S9")),
    "sync_s10": ("sync", text("S10", 8)),
    "sync_euro": ("sync", text("Eu", 10)),
    "sync_fuse0": ("sync", text("F0")),
    "sync_fuse1": ("sync", text("F1")),
    "mode_standard": ("mode", text("SM", 10)),
    "mode_esm_request": ("mode", text("ER", 10)),
    "mode_esm_char": ("mode", text("EC", 10)),
    "emv": ("std", text("EMV", 7.5)),
    "iso": ("std", text("ISO", 7.5)),
    "auto_pause": ("std", '<rect x="7" y="6" width="3.5" height="12" fill="#fff"/><rect x="13.5" y="6" width="3.5" height="12" fill="#fff"/>'),
    "beep": ("std", path("M4 9 H8 L13 5 V19 L8 15 H4 Z") + path("M16 9 A4 4 0 0 1 16 15", "none", "#fff")),
    "clear_log": ("std", path("M5 7 H19 M5 11 H19 M5 15 H12", "none", "#fff") + path("M14 14 L20 20 M20 14 L14 20", "none", "#ffd54f", 2)),
    "hex_ascii": ("std", text("0x", 10)),
    "register_tool": ("std", text("R", 12)),
    "about": ("help", text("?", 14)),
    "cascade": ("edit", '<rect x="4" y="4" width="10" height="8" fill="#fff"/><rect x="9" y="10" width="11" height="9" fill="#fff" stroke="#5a6b7d"/>'),
    "tile": ("edit", '<rect x="4" y="4" width="16" height="7" fill="#fff"/><rect x="4" y="13" width="16" height="7" fill="#fff"/>'),
}
for i in range(1, 6):
    ICONS[f"command_{i}"] = ("cmd", text(f"C{i}"))
for i in range(1, 7):
    ICONS[f"card_{i}"] = ("card", '<rect x="5" y="4" width="14" height="16" rx="2" fill="#fff"/>' +
                          text(str(i), 11).replace('fill="#ffffff"', 'fill="#b8860b"'))

def tile(colour, body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
            f'<rect x="0.5" y="0.5" width="23" height="23" rx="4" fill="{colour}" stroke="#00000040"/>{body}</svg>\n')

# The program icon: a reader slot with a card half in it.
APP = ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">'
       '<rect x="2" y="2" width="60" height="60" rx="12" fill="#2f6db5"/>'
       '<rect x="16" y="8" width="32" height="30" rx="3" fill="#ffffff"/>'
       '<rect x="22" y="14" width="10" height="8" rx="1.5" fill="#f1c40f"/>'
       '<rect x="8" y="34" width="48" height="20" rx="4" fill="#1b3f6b"/>'
       '<rect x="14" y="40" width="36" height="3" fill="#9ecbff"/>'
       '<circle cx="48" cy="48" r="2.5" fill="#2ecc71"/></svg>\n')

os.makedirs("src/shell/icons", exist_ok=True)
names = []
for name, (family, body) in sorted(ICONS.items()):
    with open(f"src/shell/icons/{name}.svg", "w") as f:
        f.write(tile(FAMILY[family], body))
    names.append(name)
with open("src/shell/icons/tavric.svg", "w") as f:
    f.write(APP)
with open("src/shell/tavric.qrc", "w") as f:
    f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/">\n')
    for name in names + ["tavric"]:
        f.write(f'    <file>icons/{name}.svg</file>\n')
    f.write('  </qresource>\n</RCC>\n')
