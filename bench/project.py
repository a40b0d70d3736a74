"""Where the bench finds the project's pieces: the Wine test harness, the demo products and
the folders its own files go to; and which build's programs it runs."""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(ROOT / "tests" / "wine"), str(ROOT / "tools")]

import harness  # noqa: E402

WORK = ROOT / "build" / "bench"
DEMO_PACKAGE = ROOT / "resources" / "demo.msp"
RESULTS = pathlib.Path(__file__).with_name("RESULTS.md")

# The build whose programs every Wine figure runs and whose figures the goals are judged on:
# the shipped i686 one, or x86_64 where this kernel refuses 32-bit programs (ARCH_REASON says
# why). Only the shipped build's runs have the x86_64 build's beside them.
ARCH, ARCH_REASON = harness.runnable_arch()
SHIPPED = ARCH_REASON is None
ARCHES = tuple(harness.BUILDS) if SHIPPED else (ARCH,)
LOADER = harness.LOADERS[ARCH]
BUILD = harness.BUILDS[ARCH]
BUILD_RAN = ("i686, the build that ships" if SHIPPED
             else f"{ARCH}, in place of the shipped i686 build ({ARCH_REASON})")


def tagged(text):
    """`text` naming a run of the build that ran; the shipped build's runs read as they always
    have, another build's carry its name."""
    return text if SHIPPED else f"{text} [{ARCH}]"
