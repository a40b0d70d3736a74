"""make wrapper MSP=<patch.msp> OUT=<wrapper.exe> [VERSION=<v>] [STUB=<stub.exe>]: makes a wrapper
for a patch on this Linux machine, the way a release engineer does on Windows, by running the
maker under Wine in a private prefix: the shipped i686 maker, with the shipped i686 stub unless
STUB says otherwise. On a kernel that refuses 32-bit programs the x64 maker makes it from the
same stub, as a release engineer's x64 maker does for a patch too large for the 32-bit one: the
makers are reproducible, so the wrapper is the one the i686 maker would make."""
import pathlib
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(ROOT / "tests" / "wine")]

import harness  # noqa: E402

PREFIX = ROOT / "build" / "wine" / "maker"
SHIPPED_STUB = harness.BUILDS["i686"] / "svcpack.exe"


def maker_choice():
    """The build whose maker runs, and the line that says why when it is not the i686 one."""
    arch, reason = harness.runnable_arch()
    if reason is None:
        return arch, None
    return arch, f"make wrapper: {reason}; the x64 maker makes the wrapper from the i686 stub (/stub) instead"


def prefix(arch):
    """The maker's prefix, made on first use, and made anew when the i686 maker is to run in it
    and it predates 32-bit Wine (it then has no syswow64 and cannot run the 32-bit maker)."""
    if not (PREFIX / "system.reg").is_file() or (arch == "i686" and not (PREFIX / "drive_c" / "windows" / "syswow64").is_dir()):
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
    arch, why = maker_choice()
    if why:
        print(why, file=sys.stderr)
    command = [harness.BUILDS[arch] / "svcpack-make.exe", harness.windows_path(package), harness.windows_path(out),
               "/stub", harness.windows_path(stub or SHIPPED_STUB)]
    if version:
        command += ["/version", version]
    proc = prefix(arch).wine(command, check=False, loader=harness.LOADERS[arch])
    sys.stdout.write(proc.stdout)
    sys.stderr.write(proc.stderr)
    return proc.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
