"""make reliability: runs the fault-injection and bad-input tests under Wine and the fuzz
targets, and writes what was tried and what held to docs/reliability.md."""
import dataclasses
import datetime
import importlib
import os
import pathlib
import platform
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[1]
WINE_TESTS = ROOT / "tests" / "wine"
SUITES = {
    "test_faults.py": "Faults injected and bad packages",
    "test_dll_planting.py": "DLLs planted beside the wrapper",
    "test_extract.py": "Extraction to missing, locked and unwritable places",
    "test_list.py": "Unreadable and odd packages in the list mode",
    "test_install.py": "The installer's answers, failures among them, in install mode",
    "test_messages.py": "Languages the string table has, lacks, or has in another variant",
    "test_maker.py": "Bad input to the maker, and patches whose version it cannot trust",
    "test_shipping.py": "The stub as it ships, and a made wrapper signed afterwards",
}


@dataclasses.dataclass(frozen=True)
class Case:
    nodeid: str
    doc: str
    outcome: str   # pytest's: passed, failed or skipped
    seconds: float
    skip_reason: str = ""


class Outcomes:
    """Collects each test's first docstring line (or name), outcome, time and why it skipped."""

    def __init__(self):
        self.rows = []
        self._doc = {}

    def pytest_collection_modifyitems(self, items):
        for item in items:
            function = getattr(item, "function", None)
            doc = ((function.__doc__ if function else None) or "").strip().splitlines()
            # A name in words; its parameters, the build among them, stay as pytest wrote them.
            words = item.originalname.removeprefix("test_").replace("_", " ") + item.name[len(item.originalname):]
            self._doc[item.nodeid] = doc[0] if doc else words

    def pytest_runtest_logreport(self, report):
        if report.when == "call" or (report.when == "setup" and report.outcome != "passed"):
            reason = report.longrepr[2].removeprefix("Skipped: ") if report.skipped else ""
            self.rows.append(Case(report.nodeid, self._doc.get(report.nodeid, report.nodeid), report.outcome,
                                  report.duration, reason))


def run_wine_tests():
    """(pytest's exit code, the cases, (arch, why not i686)): the cases run with the shipped i686
    build, or with x86_64 where this kernel refuses 32-bit programs (there every i686 case skips)."""
    outcomes = Outcomes()
    os.environ.setdefault("SVCPACK_BUILD", str(ROOT / "build" / "win64"))
    os.environ.setdefault("SVCPACK_PACKAGE", str(ROOT / "resources" / "demo.msp"))
    sys.path.insert(0, str(WINE_TESTS))
    import harness  # noqa: E402  (needs SVCPACK_BUILD first)
    arch, reason = harness.runnable_arch()
    os.environ["SVCPACK_WINE_BUILD"] = arch
    harness = importlib.reload(harness)  # its programs, loader and folders follow SVCPACK_WINE_BUILD
    harness.make_base_prefix()
    code = pytest.main(["-q", "-p", "no:cacheprovider", "--rootdir", str(WINE_TESTS),
                        *[str(WINE_TESTS / suite) for suite in SUITES]], plugins=[outcomes])
    return code, outcomes.rows, (arch, reason)


FUZZ_BUILD = ROOT / "build" / "fuzz-deep"
FUZZ_RUNS = 1_000_000


def run_fuzzers():
    """Each target to FUZZ_RUNS inputs, in a fuzz build of its own so that make test keeps its
    short, time-bounded runs."""
    for command in (["cmake", "--preset", "fuzz", "-B", FUZZ_BUILD, f"-DSVCPACK_FUZZ_RUNS={FUZZ_RUNS}"],
                    ["cmake", "--build", FUZZ_BUILD, "-j2"]):
        subprocess.run([str(c) for c in command], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    ctest = subprocess.run(["ctest", "--test-dir", FUZZ_BUILD, "-L", "fuzz", "-j2", "--output-on-failure"],
                           cwd=ROOT, check=False, stdout=subprocess.DEVNULL)
    stats = subprocess.run(["sh", str(ROOT / "tests" / "fuzz" / "stats.sh"), str(FUZZ_BUILD)], cwd=ROOT,
                           capture_output=True, text=True)
    return ctest.returncode == 0, stats.stdout.strip().splitlines()


def machine():
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo") if line.startswith("model name")),
               platform.processor())
    wine = subprocess.run(["/usr/lib/wine/wine64", "--version"], capture_output=True, text=True).stdout.strip()
    return f"{os.cpu_count()} cores, {cpu}, Linux {platform.release()}, {wine}"


def build_ran(arch, reason):
    """The line that names the build whose programs the Wine cases ran, and why it is not the shipped one."""
    if reason is None:
        return "The Wine cases ran the shipped i686 build under the 32-bit loader."
    return f"The Wine cases ran the {arch} build under wine64, in place of the shipped i686 build ({reason})."


def tally(cases):
    """(the lines that say how many cases ran and how many of them held, whether every case that
    ran held). A run in which every case skipped tried nothing, so it held nothing."""
    ran = [case for case in cases if case.outcome != "skipped"]
    failed = [case for case in ran if case.outcome != "passed"]
    skipped = [case for case in cases if case.outcome == "skipped"]
    if not ran:
        lines = [f"No case ran: all {len(cases)} skipped, so nothing here was tried."]
    else:
        lines = [f"{len(ran) - len(failed)} of {len(ran)} cases that ran held"
                 + (f"; {len(skipped)} skipped." if skipped else ".")]
    if failed:
        lines += ["Cases that did not hold:", ""] + [f"- {case.doc} ({case.outcome})" for case in failed]
    elif ran:
        lines += ["Each ended with the documented box (none under /q), exit code and files, and wrote",
                  "nothing outside the temporary directory or the named target."]
    if skipped:
        lines += ["", "Skipped, with the reason:", ""] + [f"- {case.doc}: {case.skip_reason}" for case in skipped]
    return lines, bool(ran) and not failed


def report(cases, build, fuzz_held, fuzz_lines):
    lines = ["# Reliability", "",
             f"Produced by `make reliability` on {datetime.date.today()} ({machine()}). {build_ran(*build)}",
             "Every row is a case of that run; the figures are the fuzzers' own counts.", ""]
    for suite, title in SUITES.items():
        lines += [f"## {title}", "", "| case | outcome | seconds |", "|---|---|---|"]
        lines += [f"| {case.doc} | {case.outcome} | {case.seconds:.1f} |" for case in cases
                  if case.nodeid.startswith(suite)]
        lines.append("")
    lines += tally(cases)[0]
    lines += ["", "## Fuzzing (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)", "",
              f"Every target ran {FUZZ_RUNS:,} inputs without a crash or a failed property: "
              f"{'yes' if fuzz_held else 'no'}.",
              "", "```",
              *fuzz_lines, "```", "",
              "Each target checks properties, not only the absence of crashes: the option scan against a",
              "reference model, filling never reading past the values it was given, the log path never",
              "leaving the temporary directory, exactly one PATCH= value equal to the package, the",
              "installer's UI level and logging restored, documented exit codes only.", ""]
    return "\n".join(lines)


def main():
    fuzz_held, fuzz_lines = run_fuzzers()
    code, cases, build = run_wine_tests()
    out = ROOT / "docs" / "reliability.md"
    out.write_text(report(cases, build, fuzz_held, fuzz_lines), encoding="utf-8")
    print(f"wrote {out}")
    return code or (0 if tally(cases)[1] and fuzz_held else 1)


if __name__ == "__main__":
    sys.exit(main())
