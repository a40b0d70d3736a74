#!/usr/bin/env python3
"""Takes pictures of the wrapper's message boxes as users see them, in four languages.

Each box comes from tests/wine/message_probe.exe (the real string table and MessageBoxW),
shown under Wine on a private Xvfb display in a private prefix, in a Wine session of the
box's language as on a user's machine. Writes error-<lang>.png and info-<lang>.png next to
this script; the caption of each box is checked against the string table.

    python3 docs/screenshots/make_screenshots.py
"""
import os
import pathlib
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "wine"))
import harness  # noqa: E402
import pe  # noqa: E402

OUT = pathlib.Path(__file__).resolve().parent
PROBE = harness.BUILD / "tests" / "wine" / "message_probe.exe"
PREFIX = harness.BUILD / "wine" / "screenshots"
# (file suffix, locale id, Unix locale of the Wine session)
LANGUAGES = [("en", 1033, "C.UTF-8"), ("de", 1031, "de_DE.UTF-8"),
             ("ru", 1049, "ru_RU.UTF-8"), ("ja", 1041, "ja_JP.UTF-8")]
# (file prefix, message and its values, caption string id)
BOXES = [("error", ["300", "--error", "1603"], 311),
         ("info", ["316", "--product", "Korvanta Ledger"], 312)]
CJK_FONT = "Noto Sans CJK JP"


def build():
    if not (harness.BUILD / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "--preset", "win64"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "win64", "--target", "message_probe"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def make_prefix():
    if not subprocess.run(["fc-list", CJK_FONT], capture_output=True, text=True).stdout:
        sys.exit(f"no font '{CJK_FONT}' for the Japanese boxes: apt-get install fonts-noto-cjk")
    prefix = harness.Prefix(harness.make_base_prefix(PREFIX))
    # This Wine does not load the fonts of its own data directory, which leaves the title bar
    # without its button glyphs (Marlett) and dialogs without Tahoma; the prefix's Fonts
    # folder is read.
    fonts = prefix.path / "drive_c" / "windows" / "Fonts"
    for font in pathlib.Path("/usr/share/wine/fonts").glob("*.ttf"):
        (fonts / font.name).symlink_to(font)
    settings = [
        # A Japanese session sets dialogs in "MS UI Gothic", which Linux lacks.
        (r"HKCU\Software\Wine\Fonts\Replacements", "MS UI Gothic", CJK_FONT),
        # Xvfb has no window manager: Wine then draws the title bar with the caption itself.
        (r"HKCU\Software\Wine\X11 Driver", "Managed", "N"),
    ]
    for key, name, value in settings:
        prefix.wine(["reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"])
    subprocess.run([harness.WINESERVER, "-w"], env=prefix.env, check=True, timeout=120)
    return prefix


def start_display():
    """An Xvfb on a free display number; returns (process, ":N")."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return xvfb, ":" + number


def xdotool(display, *args):
    return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=display), check=True,
                          capture_output=True, text=True, timeout=60).stdout.strip()


def shoot(prefix, display, args, locale, caption, png):
    env = dict(prefix.env, DISPLAY=display, LANG=locale)
    box = subprocess.Popen([harness.WINE, PROBE, *args], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        [window] = xdotool(display, "search", "--sync", "--onlyvisible", "--name", ".").split()
        shown = xdotool(display, "getwindowname", window)
        if shown != caption:
            raise RuntimeError(f"{png.name}: the box is captioned {shown!r}, not {caption!r}")
        time.sleep(0.5)  # X maps a window before it is painted
        # Without the date chunks the file stays the same from one run to the next.
        subprocess.run(["import", "-window", window, "-define", "png:exclude-chunks=date,time",
                        png], env=dict(os.environ, DISPLAY=display), check=True, timeout=60)
        xdotool(display, "windowfocus", "--sync", window, "key", "Return")
        if box.wait(timeout=30) != 0:
            raise RuntimeError(f"{png.name}: message_probe ended with {box.returncode}")
    finally:
        if box.poll() is None:
            box.kill()


def main():
    build()
    captions = pe.read(PROBE).string_tables()
    prefix = make_prefix()
    try:
        xvfb, display = start_display()
        try:
            for suffix, language, locale in LANGUAGES:
                for name, args, caption_id in BOXES:
                    png = OUT / f"{name}-{suffix}.png"
                    shoot(prefix, display, [*args, "--language", str(language)], locale,
                          captions[language][caption_id], png)
                    print(png.relative_to(ROOT))
        finally:
            xvfb.terminate()
            xvfb.wait(timeout=30)
    finally:
        prefix.remove()


if __name__ == "__main__":
    main()
