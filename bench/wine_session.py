"""Prefixes for the bench: one base made for this run, copies of it, and a wineserver kept
running in each prefix being measured, so that no timed run pays for starting the server and
Wine's services (every timed run still starts its own Wine process)."""
import subprocess
import tempfile

import project  # noqa: F401  (puts the harness on the path)
import harness

BASE = harness.BUILD / "wine" / "bench-base"


def make_base():
    return harness.make_base_prefix(BASE)


def keep_running(prefix):
    """Starts a persistent wineserver and Wine's services in `prefix`. The services get no
    pipes: they outlive the program that starts them, and a pipe they held would leave its
    reader waiting for an end that never comes. Wine's first start in a fresh copy now and
    then fails; that start is untimed, so it is tried once more, and the failure is shown."""
    subprocess.run([harness.WINESERVER, "-p"], env=prefix.env, check=True)
    for attempt in (1, 2):
        with tempfile.TemporaryFile() as errors:
            code = subprocess.run([harness.WINE, "cmd", "/c", "rem"], env=prefix.env, timeout=300,
                                  stdout=subprocess.DEVNULL, stderr=errors).returncode
            if code == 0:
                return prefix
            errors.seek(0)
            print(f"bench: starting Wine in {prefix.path.name} failed ({code}), attempt {attempt}:\n"
                  + errors.read()[-2000:].decode(errors="replace"), flush=True)
    raise RuntimeError(f"Wine does not start in {prefix.path}")


def clone(name, base=BASE):
    """A running copy of `base` (whose own server must be stopped, so that its registry is on disk)."""
    return keep_running(harness.Prefix.clone(f"bench-{name}", base=base))
