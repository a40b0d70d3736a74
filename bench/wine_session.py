"""Prefixes for the bench: one base made for this run, copies of it, and a wineserver kept
running in each prefix being measured, so that no timed run pays for starting the server and
Wine's services (every timed run still starts its own Wine process)."""
import project  # noqa: F401  (puts the harness on the path)
import harness

BASE = harness.TOOLS / "wine" / "bench-base"
# The demo wrapper of each build, made with the bench's base prefix.
DEMO_WRAPPERS = {arch: harness.demo_wrapper(arch, BASE) for arch in harness.BUILDS}


def make_base():
    return harness.make_base_prefix(BASE)


def clone(name, base=BASE):
    """A running copy of `base` (whose own server must be stopped, so that its registry is on disk)."""
    return harness.Prefix.clone(f"bench-{name}", base=base).keep_running()
