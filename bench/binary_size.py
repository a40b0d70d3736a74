"""Goal 3: the programs' own bytes, that is, everything in a file but its resource section
(which holds the strings and the icons, and in a made wrapper the package): the stub, i686
(shipped) and x86_64, and the maker for each."""
import os
import pathlib

import project
import harness
import pe
import report

GOAL_BYTES = 64 * 1024
WIN32_BUILD = pathlib.Path(os.environ.get("SVCPACK_WIN32_BUILD", project.ROOT / "build" / "win32"))
PROGRAMS = [
    ("stub i686 (shipped)", WIN32_BUILD / "svcpack.exe"),
    ("stub x86_64", harness.BUILDS["x86_64"] / "svcpack.exe"),
    ("maker i686", WIN32_BUILD / "svcpack-make.exe"),
    ("maker x86_64", harness.BUILDS["x86_64"] / "svcpack-make.exe"),
]


def own_bytes(path):
    """(bytes outside .rsrc, .rsrc raw size, file size, [(section, raw size)] outside .rsrc)."""
    sections = pe.read(path).sections
    resource_raw = sum(raw for name, _, raw in sections if name == ".rsrc")
    size = path.stat().st_size
    others = [(name, raw) for name, _, raw in sections if name != ".rsrc"]
    return size - resource_raw, resource_raw, size, others


def _row(label, path):
    own, resource, size, _ = own_bytes(path)
    return report.Row(
        "3 size", f"{label} bytes outside .rsrc", f"{own} B ({report.kib(own)})",
        f"file {size} B, .rsrc {resource} B", f"{own / GOAL_BYTES:.0%} of 64 KiB",
        f"≤ {GOAL_BYTES} B", report.verdict(own <= GOAL_BYTES))


def _breakdown(path):
    own, _, _, others = own_bytes(path)
    headers = own - sum(raw for _, raw in others)
    parts = [f"{name} {raw} B" for name, raw in sorted(others, key=lambda s: -s[1])]
    return ", ".join(parts + [f"headers and padding {headers} B"])


def measure():
    rows = [_row(label, path) for label, path in PROGRAMS]
    notes = ["File size minus the raw size of the .rsrc section, from the section tables of "
             + ", ".join(str(path.relative_to(project.ROOT)) for _, path in PROGRAMS)
             + " (the stubs carry no package; in a made wrapper the package lives in .rsrc and does "
             "not count)."]
    notes += [f"{label} outside .rsrc: {_breakdown(path)}." for label, path in PROGRAMS]
    own = [(label, own_bytes(path)[0]) for label, path in PROGRAMS]
    over = [f"{label} by {size - GOAL_BYTES} B" for label, size in own if size > GOAL_BYTES]
    if over:
        notes.append(f"Over the goal: {', '.join(over)}.")
    return report.Outcome("3. Size", not over, rows, notes)
