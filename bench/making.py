"""Goal 6: the maker making a wrapper around the 256 MiB patch, timed against Wine's own copy
of the patch to the same place, Wine's start included in both.

The maker's output is deleted (and the disk synced) before every run and checked after it; a
second maker run, whose output folder does not exist, does every check of the patch and then
fails to write, which splits the maker's time into checking and writing."""
import pathlib
import statistics

import project
import large_patch
import references
import report
import trials
import wine_session

GOAL_RATIO = 2.0
ROUNDS = 7
OUTPUT = project.WORK / "make" / "svcpack.exe"
UNWRITABLE = OUTPUT.parent / "missing" / "svcpack.exe"  # its folder is never made
OUTPUT_NOT_WRITTEN = 6  # the maker's exit code when it cannot write the wrapper

MAKER_RUN = f"svcpack-make [{project.ARCH}]"
CHECKS_ONLY = project.tagged("svcpack-make, output folder missing")


def _variants(prefix, made):
    env = prefix.env
    return [
        trials.writing(MAKER_RUN, large_patch.maker_command(OUTPUT), env, OUTPUT, 0, made.wrapper_bytes),
        references.wine_copy(env, OUTPUT, made.package_bytes),
        trials.writing(CHECKS_ONLY, large_patch.maker_command(UNWRITABLE), env, UNWRITABLE,
                       OUTPUT_NOT_WRITTEN, None),
        references.wine_start(env, OUTPUT),
    ]


def measure():
    made = large_patch.make()
    OUTPUT.parent.mkdir(parents=True, exist_ok=True)
    prefix = wine_session.clone("make")
    try:
        samples = trials.interleave(_variants(prefix, made), ROUNDS, label="making")
    finally:
        prefix.remove()
        OUTPUT.unlink(missing_ok=True)
    met = samples.ratio(MAKER_RUN, references.WINE_COPY) <= GOAL_RATIO

    def row(figure, name, reference=None, **goal):
        return report.Row(
            "6 making", figure, f"{name} {report.seconds(samples.median(name))}",
            f"{reference} {report.seconds(samples.median(reference))}" if reference else "",
            report.ratio(samples.ratio(name, reference)) if reference else "", **goal)
    rows = [
        row("wrapper around the 256 MiB patch", MAKER_RUN, references.WINE_COPY,
            target=f"≤ {GOAL_RATIO:.2f}×", verdict=report.verdict(met)),
        row("same, checks of the patch only (output refused)", CHECKS_ONLY, references.WINE_COPY),
        row("Wine process start alone", references.WINE_START),
    ]
    notes = [
        f"`{pathlib.Path(project.LOADER).name} svcpack-make.exe package.msp svcpack.exe` with the {project.ARCH} "
        f"maker, whose stub is the {project.ARCH} svcpack.exe beside it, around {large_patch.PACKAGE.relative_to(project.ROOT)} "
        f"({made.package_bytes} B, the patch of the extraction figures); the wrapper it writes has "
        f"{made.wrapper_bytes} B. Wine's copy copies that package to the same file in the same prefix.",
        f"Wall time of the whole process, Wine's process start included; medians of {samples.rounds} "
        "interleaved rounds, ratios the median of the per-round ratios. After every run the exit code "
        "and the output's size were checked, and the output deleted before the next.",
    ]
    if not met:
        notes.append(_bound(samples))
    return report.Outcome("6. Making", met, rows, notes)


def _bound(samples):
    start = samples.median(references.WINE_START)
    checks = samples.median(CHECKS_ONLY) - start
    writing = statistics.median(samples.differences(MAKER_RUN, CHECKS_ONLY))
    copy = samples.median(references.WINE_COPY) - start
    return (f"{project.tagged('Bound')}: beyond Wine's start, the maker's checks of the patch take {report.seconds(checks)} "
            f"({report.ratio(samples.ratio(CHECKS_ONLY, references.WINE_COPY))} Wine's whole copy) and "
            f"writing the wrapper {report.seconds(writing)} more, where Wine's copy needs "
            f"{report.seconds(copy)} beyond starting cmd. Writing is a copy of the stub and one resource "
            "update (BeginUpdateResourceW, UpdateResourceW, EndUpdateResourceW) that puts the package "
            "into it; a profile of the maker's run shows its time in page faults and ntdll's memory "
            "copy, and in the kernel zeroing and filling the pages of the new file: Wine's resource "
            "update moves the 256 MiB through memory, where cmd's copy moves them from file to file.")
