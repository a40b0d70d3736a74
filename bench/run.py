"""make bench: measures the wrapper and the maker against their goals, prints the table and writes it, with the
machine and the date, into bench/RESULTS.md. Nothing here is a test; the figures vary with the
machine and with whatever else runs on it, which is why every figure is a ratio to a reference
timed in the same rounds.

`python3 bench/run.py <module>...` (such as `patch_sets`) measures only the modules named and
prints their rows and notes; RESULTS.md stays the record of a whole run."""
import sys
import time

import project
import binary_size
import end_to_end
import extraction
import machine
import making
import patch_sets
import report
import scale
import scaling
import trials
import wine_session

METHOD = [
    "Every timed figure is the median of at least five runs after a warm-up round (but the 256 MiB "
    "figures of patch sets: three, as their note says); the runs of a figure and of its reference "
    "alternate round by round, the order rotating each round.",
    "Wine figures are wall times of one Wine process (GNU time around it, Python's clock "
    "around that) in a prefix whose wineserver and services were started beforehand; the bench "
    "makes its own base prefix each run (build/win64/wine/bench-base). "
    + ("The shipped i686 programs run under the 32-bit loader (wine), the x86_64 ones under wine64; "
       "the goals are judged on the i686 build." if project.SHIPPED else
       f"Only the x86_64 programs (build/win64) ran, under wine64 ({project.ARCH_REASON}): every "
       "figure of a program is theirs, the rows that set the x86_64 build beside the shipped one "
       "are not there, and the goals are judged on the x86_64 build."),
    "Exit codes are checked after every run, and so is the work (the file written, the products "
    "patched); a run that did not do its work stops the bench.",
]


# In the table's order; extraction gives two outcomes (goals 1 and 2), every other module one.
MODULES = (binary_size, extraction, making, end_to_end, scaling, scale, patch_sets)


def _measure(modules):
    outcomes = []
    for module in modules:
        measured = module.measure()
        outcomes += measured if isinstance(measured, tuple) else [measured]
    return outcomes


def _some(names):
    """Measures only the modules named, and prints their rows and notes."""
    by_name = {module.__name__: module for module in MODULES}
    unknown = [name for name in names if name not in by_name]
    if unknown:
        print(f"bench: no module {', '.join(unknown)}; there are {', '.join(by_name)}", file=sys.stderr)
        return 2
    wine_session.make_base()
    outcomes = _measure([by_name[name] for name in names])
    print()
    print(report.table(outcomes))
    for outcome in outcomes:
        print("\n".join(["", outcome.goal, *(f"- {note}" for note in outcome.notes)]))
    return 0


def main():
    if sys.argv[1:]:
        return _some(sys.argv[1:])
    started = time.monotonic()
    load_before = machine.load_average()
    facts = machine.describe()
    print("bench: making the base prefix", flush=True)
    wine_session.make_base()
    outcomes = _measure(MODULES)
    minutes = (time.monotonic() - started) / 60
    load_after = machine.load_average()
    facts += [("load average (1, 5, 15 min) at start", machine.shown(load_before)),
              ("load average at end", machine.shown(load_after)),
              ("bench duration", f"{minutes:.1f} min")]
    note = machine.shared_machine_note(load_before, load_after)
    if note:
        facts.append(("load", note))
    print()
    print(report.table(outcomes))
    print()
    print(report.summary(outcomes, project.BUILD_RAN))
    project.RESULTS.write_text(report.results_page(outcomes, facts, METHOD, project.BUILD_RAN), encoding="utf-8")
    print(f"\nbench: wrote {project.RESULTS.relative_to(project.ROOT)}")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except trials.Failed as failure:
        print(f"bench: {failure}", file=sys.stderr)
        sys.exit(1)
