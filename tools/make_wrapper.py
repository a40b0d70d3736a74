"""make wrapper MSP=<patch.msp> OUT=<wrapper.exe> [VERSION=<v>] [STUB=<stub.exe>]: makes a wrapper
for a patch on this Linux machine, the way a release engineer does on Windows, by running the
maker under Wine in a private prefix: the shipped i686 maker, with the shipped i686 stub unless
STUB says otherwise."""
import pathlib
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(ROOT / "tests" / "wine")]

import harness  # noqa: E402

PREFIX = ROOT / "build" / "wine" / "maker"
MAKER = harness.BUILDS["i686"] / "svcpack-make.exe"
SHIPPED_STUB = harness.BUILDS["i686"] / "svcpack.exe"


def prefix():
    """The maker's prefix, made on first use, and made anew when it predates 32-bit Wine (it
    then has no syswow64 and cannot run the 32-bit maker)."""
    if not (PREFIX / "drive_c" / "windows" / "syswow64").is_dir():
        shutil.rmtree(PREFIX, ignore_errors=True)
        PREFIX.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run([harness.WINE, "wineboot", "-i"], env=harness.base_env(PREFIX), check=True,
                       timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return harness.Prefix(PREFIX)


def main(arguments):
    if not 2 <= len(arguments) <= 4 or not all(arguments[:2]):
        print("usage: make wrapper MSP=<patch.msp> OUT=<wrapper.exe> [VERSION=<v>] [STUB=<stub.exe>]",
              file=sys.stderr)
        return 2
    package, out, version, stub = (arguments + ["", ""])[:4]
    command = [MAKER, harness.windows_path(package), harness.windows_path(out),
               "/stub", harness.windows_path(stub or SHIPPED_STUB)]
    if version:
        command += ["/version", version]
    proc = prefix().wine(command, check=False, loader=harness.LOADERS["i686"])
    sys.stdout.write(proc.stdout)
    sys.stderr.write(proc.stderr)
    return proc.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
