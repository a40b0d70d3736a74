"""Goal 3: the wrapper's own bytes, that is, everything in the file but its resource section
(which holds the package, the strings and the icons)."""
import os
import pathlib

import project
import harness
import pe
import report

GOAL_BYTES = 64 * 1024
WIN32_WRAPPER = pathlib.Path(os.environ.get("SVCPACK_WIN32_BUILD", project.ROOT / "build" / "win32")) / "svcpack.exe"


def own_bytes(path):
    """(bytes outside .rsrc, .rsrc raw size, file size, [(section, raw size)] outside .rsrc)."""
    sections = pe.read(path).sections
    resource_raw = sum(raw for name, _, raw in sections if name == ".rsrc")
    size = path.stat().st_size
    others = [(name, raw) for name, _, raw in sections if name != ".rsrc"]
    return size - resource_raw, resource_raw, size, others


def _row(label, path, with_goal):
    own, resource, size, _ = own_bytes(path)
    met = own <= GOAL_BYTES
    return met, report.Row(
        "3 size", f"{label} bytes outside .rsrc", f"{own} B ({report.kib(own)})",
        f"file {size} B, .rsrc {resource} B", f"{own / GOAL_BYTES:.0%} of 64 KiB",
        f"≤ {GOAL_BYTES} B" if with_goal else "", report.verdict(met) if with_goal else "")


def _breakdown(path):
    own, _, _, others = own_bytes(path)
    headers = own - sum(raw for _, raw in others)
    parts = [f"{name} {raw} B" for name, raw in sorted(others, key=lambda s: -s[1])]
    return ", ".join(parts + [f"headers and padding {headers} B"])


def measure():
    met, shipped = _row("i686 (shipped)", WIN32_WRAPPER, with_goal=True)
    _, test_build = _row("x86_64", harness.WRAPPER, with_goal=False)
    notes = [f"File size minus the raw size of the .rsrc section, from the section tables of "
             f"{WIN32_WRAPPER.relative_to(project.ROOT)} and {harness.WRAPPER.relative_to(project.ROOT)} "
             "(both carry the demo package; the package lives in .rsrc and does not count).",
             f"i686 outside .rsrc: {_breakdown(WIN32_WRAPPER)}.",
             f"x86_64 outside .rsrc: {_breakdown(harness.WRAPPER)}."]
    return report.Outcome("3. Size", met, [shipped, test_build], notes)
