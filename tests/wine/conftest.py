import os
import pathlib
import re
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))

import harness  # noqa: E402


CANNOT_RUN = harness.cannot_run_reason()
if not CANNOT_RUN and os.environ.get("SVCPACK_WINE_STANDIN") and harness.cannot_run_reason("i686") is None:
    CANNOT_RUN = "the shipped i686 build runs these tests on this machine"


def pytest_collection_modifyitems(items):
    """On a kernel that cannot run this build, its tests are skipped with the reason; so are
    the x86_64 build's runs in the i686 build's place where the i686 build runs."""
    if CANNOT_RUN:
        for item in items:
            item.add_marker(pytest.mark.skip(reason=CANNOT_RUN))


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
