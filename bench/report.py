"""The bench's findings: one table row per figure, a verdict per goal, and RESULTS.md."""
import dataclasses

MIB = 1024 * 1024
COLUMNS = ("goal", "figure", "measured", "reference", "result", "target", "verdict")


@dataclasses.dataclass(frozen=True)
class Row:
    goal: str
    figure: str
    measured: str
    reference: str = ""
    result: str = ""
    target: str = ""
    verdict: str = ""   # empty on rows that only give context to the goal's own figure


@dataclasses.dataclass(frozen=True)
class Outcome:
    goal: str
    met: bool
    rows: list
    notes: list   # how the figures were taken, and what bounds the goal when it is missed


def verdict(met):
    return "met" if met else "missed"


def seconds(value):
    return f"{value:.3f} s"


def milliseconds(value):
    return f"{value * 1000:.3f} ms"


def ratio(value):
    return f"{value:.2f}×"


def mib(value_bytes):
    return f"{value_bytes / MIB:.1f} MiB"


def kib(value_bytes):
    return f"{value_bytes / 1024:.1f} KiB"


def table(outcomes):
    lines = ["| " + " | ".join(COLUMNS) + " |", "|" + "---|" * len(COLUMNS)]
    for outcome in outcomes:
        for row in outcome.rows:
            lines.append("| " + " | ".join(getattr(row, c) for c in COLUMNS) + " |")
    return "\n".join(lines)


def summary(outcomes, build):
    """The verdicts, after the one line that names the build they were judged on, and why."""
    return "\n".join([f"Judged on the build that ran: {build}.", ""]
                     + [f"- {o.goal}: **{verdict(o.met)}**" for o in outcomes])


def results_page(outcomes, machine, method, build):
    """RESULTS.md: the machine, the table, the verdicts and the notes of the latest run."""
    parts = ["# Bench results", "",
             "Written by `make bench` (bench/run.py) from its latest run; do not edit by hand.", "",
             "## Machine", ""]
    parts += [f"- {label}: {value}" for label, value in machine]
    parts += ["", "## Figures", "", table(outcomes), "", "## Goals", "", summary(outcomes, build), ""]
    for outcome in outcomes:
        parts += [f"### {outcome.goal}", ""] + [f"- {note}" for note in outcome.notes] + [""]
    parts += ["## Method", ""] + [f"- {line}" for line in method] + [""]
    return "\n".join(parts)
