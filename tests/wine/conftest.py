import os
import pathlib
import re
import subprocess
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))

import emulation  # noqa: E402
import harness  # noqa: E402


def emulated_reason():
    """For the i686 smoke set under emulation: why it does not run here, or None. A handler left
    by a killed run goes first, so that it cannot pass for a kernel that runs 32-bit programs."""
    reason = emulation.unavailable_reason()
    if reason:
        return reason
    emulation.remove()
    if harness.cannot_run_reason("i686") is None:
        return "this kernel runs 32-bit programs itself: the whole i686 suite runs them without emulation"
    return None


EMULATED = bool(os.environ.get(emulation.SMOKE_SET))
if EMULATED:
    CANNOT_RUN = emulated_reason()
else:
    CANNOT_RUN = harness.cannot_run_reason()
    if not CANNOT_RUN and os.environ.get("SVCPACK_WINE_STANDIN") and harness.cannot_run_reason("i686") is None:
        CANNOT_RUN = "the shipped i686 build runs these tests on this machine"


def pytest_collection_modifyitems(items):
    """On a kernel that cannot run this build, its tests are skipped with the reason; so are
    the x86_64 build's runs in the i686 build's place where the i686 build runs."""
    if CANNOT_RUN:
        for item in items:
            item.add_marker(pytest.mark.skip(reason=CANNOT_RUN))


@pytest.fixture(scope="session", autouse=True)
def emulated_i386():
    """Under SVCPACK_EMULATE_I386, the kernel hands every 32-bit x86 program to qemu-i386 for
    the session, and the handler goes when it ends. A qemu that does not run Wine's loader
    fails the set, with what it said."""
    if not EMULATED or CANNOT_RUN:
        yield
        return
    emulation.register()
    try:
        check = subprocess.run([harness.LOADERS["i686"], "--version"], capture_output=True, text=True, timeout=300)
        if check.returncode != 0 or not check.stdout.startswith("wine-"):
            pytest.fail(f"qemu-i386 does not run {harness.LOADERS['i686']}: exit code {check.returncode}, "
                        f"stdout {check.stdout[-2000:]!r}, stderr {check.stderr[-2000:]!r}")
        yield
    finally:
        emulation.remove()


def pytest_terminal_summary(terminalreporter):
    if EMULATED and not CANNOT_RUN:
        terminalreporter.write_line(f"the i686 programs ran emulated: {emulation.QEMU} as the binfmt_misc "
                                    "handler of 32-bit x86 programs, removed again")


@pytest.fixture(autouse=True, params=[harness.ARCH])
def build(request):
    """Every test's id names the build whose programs it ran: "[i686]" or "[x86_64]"."""
    return request.param


@pytest.fixture
def prefix(request):
    """A private copy of the base prefix for this test, removed afterwards. Test files run in
    parallel, so the copy is named after the file too."""
    name = re.sub(r"[^\w]+", "_", f"{request.module.__name__}_{request.node.name}")[:100]
    clone = harness.Prefix.clone(name).keep_running()
    yield clone
    clone.remove()


@pytest.fixture(scope="module")
def shared_prefix(request):
    """One copy of the base prefix for the tests of a module that leave the installer's state
    as it was (they read packages or run tools that install nothing): a copy costs seconds."""
    clone = harness.Prefix.clone(request.module.__name__ + "_shared").keep_running()
    yield clone
    clone.remove()


@pytest.fixture(scope="session")
def package_bytes():
    """The patch package the wrapper under test carries."""
    return pathlib.Path(os.environ.get("SVCPACK_PACKAGE", harness.DEMO_PACKAGE)).read_bytes()
