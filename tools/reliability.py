"""make reliability: runs the fault-injection and bad-input tests under Wine and the fuzz
targets, and writes what was tried and what held to docs/reliability.md."""
import datetime
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


class Outcomes:
    """Collects each test's first docstring line (or name), outcome and time."""

    def __init__(self):
        self.rows = []
        self._doc = {}

    def pytest_collection_modifyitems(self, items):
        for item in items:
            function = getattr(item, "function", None)
            doc = ((function.__doc__ if function else None) or "").strip().splitlines()
            self._doc[item.nodeid] = doc[0] if doc else item.name.removeprefix("test_").replace("_", " ")

    def pytest_runtest_logreport(self, report):
        if report.when == "call" or (report.when == "setup" and report.outcome != "passed"):
            self.rows.append((report.nodeid, self._doc.get(report.nodeid, report.nodeid), report.outcome,
                              report.duration))


def run_wine_tests():
    outcomes = Outcomes()
    os.environ.setdefault("SVCPACK_BUILD", str(ROOT / "build" / "win64"))
    os.environ.setdefault("SVCPACK_PACKAGE", str(ROOT / "resources" / "demo.msp"))
    sys.path.insert(0, str(WINE_TESTS))
    import harness  # noqa: E402  (needs SVCPACK_BUILD first)
    harness.make_base_prefix()
    code = pytest.main(["-q", "-p", "no:cacheprovider", "--rootdir", str(WINE_TESTS),
                        *[str(WINE_TESTS / suite) for suite in SUITES]], plugins=[outcomes])
    return code, outcomes.rows


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


def report(rows, fuzz_held, fuzz_lines):
    lines = ["# Reliability", "",
             f"Produced by `make reliability` on {datetime.date.today()} ({machine()}). Every row is a test",
             "that ran in that run; the figures are the fuzzers' own counts.", ""]
    for suite, title in SUITES.items():
        lines += [f"## {title}", "", "| case | outcome | seconds |", "|---|---|---|"]
        lines += [f"| {doc} | {outcome} | {duration:.1f} |" for nodeid, doc, outcome, duration in rows
                  if nodeid.startswith(suite)]
        lines.append("")
    held = [row for row in rows if row[2] == "passed"]
    lines.append(f"{len(held)} of {len(rows)} cases held.")
    if len(held) == len(rows):
        lines += ["Each ended with the documented box (none under /q), exit code and files, and wrote",
                  "nothing outside the temporary directory or the named target."]
    else:
        lines += ["Cases that did not hold:", ""] + [f"- {doc} ({outcome})" for _, doc, outcome, _ in rows
                                                    if outcome != "passed"]
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
    code, rows = run_wine_tests()
    out = ROOT / "docs" / "reliability.md"
    out.write_text(report(rows, fuzz_held, fuzz_lines), encoding="utf-8")
    print(f"wrote {out}")
    return code or (0 if fuzz_held else 1)


if __name__ == "__main__":
    sys.exit(main())
