"""Where the bench finds the project's pieces: the Wine test harness, the demo products and
the folders its own files go to."""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(ROOT / "tests" / "wine"), str(ROOT / "tools")]

WORK = ROOT / "build" / "bench"
DEMO_PACKAGE = ROOT / "resources" / "demo.msp"
RESULTS = pathlib.Path(__file__).with_name("RESULTS.md")
