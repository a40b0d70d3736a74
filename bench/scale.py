"""The scale row: a patch of 1 GiB (patchbuilder's filler standing in for the payload) wrapped
around the stub of the build that ran (the shipped i686 one where it runs), then extracted
("/e") and applied ("/q") to an installed product by that wrapper, each with its time and peak
memory against Wine's copy of the same bytes.

At this size a step takes tens of seconds, so each runs once, after a copy that brings the
package into the page cache. Wine's 32-bit loader cannot place an image of 1 GiB where it
wants it and starts such a wrapper in a process of its own (through start.exe), which GNU time
around the loader never sees: the wrapper runs through the launcher, which waits for it and
reports its exit code, and its peak is read from /proc while it runs. The 32-bit maker cannot hold a package this large and says so
(exit code 7): its refusal is timed too, and the wrapper is made by the x64 maker from the
i686 stub, as the release engineers' guide says. Where only the x86_64 build runs, its maker
makes the wrapper from its own stub, and the 32-bit maker's refusal is not there to time."""
import os
import pathlib
import re
import subprocess
import tempfile
import time

import project
import demo_products as demo
import harness
import made_wrapper
import products
import report
import trials
import wine_session

FILLER_BYTES = 1024 * report.MIB
FOLDER = project.ROOT / "build" / "bench-1g"
PACKAGE = FOLDER / "package.msp"
WRAPPER = FOLDER / "svcpack.exe"
COPY = FOLDER / "copy.msp"
EXTRACTED = FOLDER / "extracted.msp"
REFUSED = FOLDER / "refused.exe"
PRODUCT = demo.PRODUCTS[0]
PATCH_CODE = "{9B2E4C71-5D3A-4F86-A0C2-7E1B3D5F9A21}"
TOO_LARGE_FOR_THE_32_BIT_MAKER = 7
STUB = project.BUILD / "svcpack.exe"


def _maker(arch, output):
    return [harness.LOADERS[arch], harness.BUILDS[arch] / "svcpack-make.exe", harness.windows_path(PACKAGE),
            harness.windows_path(output), "/stub", harness.windows_path(STUB)]


def _run(label, command, env, expected_exit, check=lambda: None):
    sample = trials.run_once(trials.Trial(command, env))
    trials.expect(sample.exit_code == trials.linux_exit_code(expected_exit),
                  f"scale, {label}: exit code {sample.exit_code}, not {expected_exit}")
    check()
    print(f"bench: scale, {label}: {report.seconds(sample.seconds)}", flush=True)
    return sample


def _peak_kib(program_name):
    """The largest VmHWM of the processes running `program_name` (not its launcher)."""
    peak = 0
    for proc in pathlib.Path("/proc").glob("[0-9]*"):
        try:
            argv = (proc / "cmdline").read_bytes().split(b"\0")
            status = (proc / "status").read_text()
        except OSError:
            continue
        if argv[0].decode(errors="replace").endswith(program_name):
            found = re.search(r"^VmHWM:\s+(\d+) kB", status, re.M)
            peak = max(peak, int(found.group(1)) if found else 0)
    return peak


def _wrapper_run(label, args, env, expected_exit, check):
    launcher = project.BUILD / "tests" / "wine" / "launcher.exe"
    command = [project.LOADER, launcher, harness.windows_path(WRAPPER), *args]
    with tempfile.TemporaryFile() as out:
        start = time.perf_counter()
        proc = subprocess.Popen([str(c) for c in command], env=env, stdout=out, stderr=subprocess.DEVNULL)
        peak = 0
        while proc.poll() is None:
            peak = max(peak, _peak_kib(WRAPPER.name))
            time.sleep(0.05)
        seconds = time.perf_counter() - start
        out.seek(0)
        reported = re.search(rb"^EXITCODE=(\d+)", out.read(), re.M)
    exit_code = int(reported.group(1)) if reported else None
    trials.expect(exit_code == expected_exit, f"scale, {label}: exit code {exit_code}, not {expected_exit}")
    trials.expect(peak > 0, f"scale, {label}: the wrapper's process was never seen")
    check()
    print(f"bench: scale, {label}: {report.seconds(seconds)}", flush=True)
    return trials.Sample(seconds, peak, exit_code)


def _wine_copy(env):
    def written():
        trials.expect(COPY.stat().st_size == PACKAGE.stat().st_size, "scale: Wine's copy is short")
    sample = _run("Wine cmd /c copy", [harness.WINE, "cmd", "/c", "copy", "/y", harness.windows_path(PACKAGE),
                                       harness.windows_path(COPY)], env, 0, written)
    COPY.unlink()
    os.sync()
    return sample


def measure():
    FOLDER.mkdir(parents=True, exist_ok=True)
    prefix = wine_session.clone("scale")
    try:
        msi = products.build_product(FOLDER, PRODUCT.product_code, PRODUCT.name, demo.OLD_VERSION,
                                     demo.UPGRADE_CODE, PRODUCT.language, PRODUCT.locale_id)
        products.install_product(prefix, msi)
        products.build_patch(PACKAGE, PATCH_CODE, [(PRODUCT.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION)],
                             demo.NEW_VERSION, filler_bytes=FILLER_BYTES, prefix=prefix)
        samples = _steps(prefix)
    finally:
        prefix.remove()
        for path in (PACKAGE, WRAPPER, COPY, EXTRACTED, REFUSED):
            path.unlink(missing_ok=True)
    return _outcome(samples)


def _steps(prefix):
    env = prefix.env
    _wine_copy(env)  # brings the package into the page cache; not kept
    reference = _wine_copy(env)
    steps = {"Wine cmd /c copy": reference}
    if project.SHIPPED:
        steps["svcpack-make [i686], refused"] = _run(
            "i686 maker", _maker("i686", REFUSED), env, TOO_LARGE_FOR_THE_32_BIT_MAKER,
            lambda: trials.expect(not REFUSED.exists(), "scale: the refusing maker left a file"))
    arch = project.ARCH
    steps[f"svcpack-make [x86_64] /stub {arch}"] = _run(
        f"x64 maker, {arch} stub", _maker("x86_64", WRAPPER), env, 0,
        lambda: made_wrapper.check(WRAPPER, PACKAGE, demo.NEW_VERSION))
    steps[f"wrapper /e [{arch}]"] = _wrapper_run(
        f"{arch} wrapper /e", ["/e", harness.windows_path(EXTRACTED)], env, 0,
        lambda: trials.expect(trials.same_bytes(EXTRACTED, PACKAGE), "scale: /e wrote other bytes"))
    EXTRACTED.unlink()
    steps[f"wrapper /q [{arch}]"] = _wrapper_run(
        f"{arch} wrapper /q", ["/q"], env, 0,
        lambda: trials.expect(_version(prefix) == demo.NEW_VERSION, "scale: the product was not patched"))
    return steps


def _version(prefix):
    return products.query(prefix, "info", PRODUCT.product_code, "VersionString")


def _outcome(samples):
    reference = samples["Wine cmd /c copy"]
    rows = [report.Row("7 scale", f"1 GiB patch, {name}",
                       f"{report.seconds(s.seconds)}, peak {report.mib(s.peak_kib * 1024)}",
                       f"Wine copy {report.seconds(reference.seconds)}, peak {report.mib(reference.peak_kib * 1024)}",
                       report.ratio(s.seconds / reference.seconds))
            for name, s in samples.items() if s is not reference]
    notes = [f"One run of each step on {PACKAGE.relative_to(project.ROOT)} (patchbuilder, "
             f"{report.mib(FILLER_BYTES)} of filler), after a copy that brings it into the page cache; "
             "peak resident set of the Wine process as GNU time reports it (for the wrapper, its "
             "process's VmHWM read every 50 ms while it runs, as it runs apart from its loader).",
             ("The i686 maker refuses the package (exit code 7: too large for the 32-bit maker); the x64 "
              "maker makes the wrapper from the i686 stub" if project.SHIPPED else
              "No row of the i686 maker refusing the package (exit code 7: too large for the 32-bit maker): "
              f"that limit is the 32-bit maker's, which cannot run here ({project.ARCH_REASON}). The x64 "
              "maker makes the wrapper from the x86_64 stub")
             + ", which then extracts the package byte for byte "
             f"and patches {PRODUCT.name} from {demo.OLD_VERSION} to {demo.NEW_VERSION} (checked after each step)."]
    return report.Outcome("7. Scale (1 GiB)", True, rows, notes)
