"""The 256 MiB patch that the extraction and making figures share, and the wrappers each
build's maker makes around it. The patch is a real one written by patchbuilder, with one stream of 256 MiB
of filler where a real patch carries its payload cabinet: the maker checks that it is given a
patch package, and the wrapper checks the package's structure before writing it out. Both
are made afresh once per bench run, so they always come from the tools of this build."""
import dataclasses
import functools
import subprocess

import project
import harness
import made_wrapper
import products
import report
import trials
import wine_session

FILLER_BYTES = 256 * report.MIB
FOLDER = project.ROOT / "build" / "bench-256"
PACKAGE = FOLDER / "package.msp"
# Each build's maker that runs here makes a wrapper from the stub beside it; the one of the
# build that ran is measured.
WRAPPERS = {arch: FOLDER / f"svcpack-{arch}.exe" for arch in project.ARCHES}
WRAPPER = WRAPPERS[project.ARCH]
PATCH_CODE = "{9B2E4C71-5D3A-4F86-A0C2-7E1B3D5F9A01}"
TARGET = ("{9B2E4C71-5D3A-4F86-A0C2-7E1B3D5F9A02}", "{9B2E4C71-5D3A-4F86-A0C2-7E1B3D5F9A00}", "12.2.0.3")
UP_TO_DATE_VERSION = "12.2.0.4"


@dataclasses.dataclass(frozen=True)
class Made:
    package_bytes: int
    wrapper_bytes: int


def maker_command(output, arch=project.ARCH, packages=(PACKAGE,)):
    """The maker's command line for a wrapper around `packages` (one, or a set), as a user types it."""
    return [harness.LOADERS[arch], harness.BUILDS[arch] / "svcpack-make.exe", *map(harness.windows_path, packages),
            harness.windows_path(output)]


@functools.cache
def make():
    """Writes the patch and the wrapper (untimed) and checks the wrapper carries the patch."""
    FOLDER.mkdir(parents=True, exist_ok=True)
    prefix = wine_session.clone("large-patch")
    try:
        products.build_patch(PACKAGE, PATCH_CODE, [TARGET], UP_TO_DATE_VERSION, filler_bytes=FILLER_BYTES,
                             prefix=prefix)
        for arch, wrapper in WRAPPERS.items():
            wrapper.unlink(missing_ok=True)
            proc = subprocess.run([str(c) for c in maker_command(wrapper, arch)], env=prefix.env,
                                  capture_output=True, text=True, errors="replace")
            trials.expect(proc.returncode == 0, f"the {arch} maker failed ({proc.returncode}):\n"
                                                f"{proc.stdout}{proc.stderr}")
            made_wrapper.check(wrapper, PACKAGE, UP_TO_DATE_VERSION)
    finally:
        prefix.remove()
    return Made(PACKAGE.stat().st_size, WRAPPER.stat().st_size)
