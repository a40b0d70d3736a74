"""Wrappers of a set of patches, each figure against the single-patch way to the same end, timed
in the same rounds: the wrapper applying a core and a language patch to one product ("/q", one
MsiApplyMultiplePatchesW call) against two `msiexec /p` runs of the same patches; the wrapper's
peak memory writing two 128 MiB packages into a folder ("/e <folder>") against writing one
256 MiB package to a file; the maker making the set's wrapper of the two against making the
wrapper of the one.

The 256 MiB package and its wrapper are those of the extraction and making figures
(large_patch); the two 128 MiB packages are written the same way, with half its filler each."""
import os
import pathlib
import shutil

import project
import demo_products as demo
import harness
import installed
import large_patch
import made_wrapper
import products
import report
import trials
import wine_session

GOAL = "8 patch sets"
APPLY_ROUNDS = 5
# A run of the large figures takes seconds (the maker's the most), so they take fewer rounds.
LARGE_ROUNDS = 3
FOLDER = project.ROOT / "build" / "bench-set"
OUT = FOLDER / "out"
PRODUCT = demo.PRODUCTS[0]
# (file name, patch code, the version it brings its product to)
SMALL = (("core.msp", "{4C8E2A61-7B3D-4F95-B1D6-2A9C5E7F3B01}", "12.2.0.4"),
         ("lang.msp", "{4C8E2A61-7B3D-4F95-B1D6-2A9C5E7F3B02}", "12.2.0.5"))
HALVES = (("half-1.msp", "{4C8E2A61-7B3D-4F95-B1D6-2A9C5E7F3B11}", "12.2.0.4"),
          ("half-2.msp", "{4C8E2A61-7B3D-4F95-B1D6-2A9C5E7F3B12}", "12.2.0.5"))

SET_APPLY = f"set wrapper /q [{project.ARCH}]"
TWO_MSIEXEC = "msiexec /p /qn, once per patch"
SET_EXTRACT = f"set wrapper /e <folder> [{project.ARCH}]"
ONE_EXTRACT = f"wrapper /e <file> [{project.ARCH}]"
SET_MAKE = f"svcpack-make, two 128 MiB packages [{project.ARCH}]"
ONE_MAKE = f"svcpack-make, one 256 MiB package [{project.ARCH}]"
# Each patch a run of its own, one after the other, as a user types them; 0 only if both end with 0.
ONE_AFTER_THE_OTHER = f'{harness.WINE} msiexec /p "$1" /qn && {harness.WINE} msiexec /p "$2" /qn'


def _patches(prefix, specs, target, filler_bytes=0):
    return [products.build_patch(FOLDER / name, code, [(*target, version)], version, filler_bytes=filler_bytes,
                                 prefix=prefix)
            for name, code, version in specs]


def _set_wrapper(prefix, packages, name):
    wrapper = FOLDER / name
    harness.make_set_wrapper(prefix, packages, wrapper, arch=project.ARCH)
    made_wrapper.check_set(wrapper, packages)
    return wrapper


def _both_registered(name):
    def check(prefix):
        for _, code, _ in SMALL:
            state = products.query(prefix, "patchstate", code, PRODUCT.product_code)
            trials.expect(state == "1", f"{name}: patch {code} is not registered (state {state})")
    return check


def _apply_variants(prepared, wrapper, packages):
    commands = {SET_APPLY: [project.LOADER, wrapper, "/q"],
                TWO_MSIEXEC: ["sh", "-c", ONE_AFTER_THE_OTHER, "sh", *map(harness.windows_path, packages)]}
    return [installed.in_fresh_copy(name, prepared, lambda prefix, command=command: command, _both_registered(name))
            for name, command in commands.items()]


def _clear(path):
    if path.is_dir():
        shutil.rmtree(path)
    else:
        path.unlink(missing_ok=True)


def _producing(name, command, env, destination, originals):
    """A variant that must end with exit code 0 having written at `destination` (a file, or a
    folder) exactly the files of `originals` ({written path: the file it must equal}). What it
    wrote is deleted and the disk synced before each run, as trials.writing does."""
    def finish(sample):
        trials.expect(sample.exit_code == 0, f"{name}: exit code {sample.exit_code}")
        written = sorted(destination.iterdir()) if destination.is_dir() else [destination]
        trials.expect(written == sorted(originals), f"{name}: wrote {[p.name for p in written]}")
        for path, original in originals.items():
            trials.expect(trials.same_bytes(path, original), f"{name}: {path.name} is not {original.name}")

    def prepare():
        _clear(destination)
        os.sync()
        return trials.Trial(command, env, finish)
    return trials.Variant(name, prepare)


def _large_variants(env, halves, set_wrapper):
    # The maker writes the wrapper's file name into its version resource (OriginalFilename): each
    # output takes the name of the wrapper made beforehand that it must equal.
    folder, file = OUT / "set", OUT / "package.msp"
    made_set, made_one = OUT / set_wrapper.name, OUT / large_patch.WRAPPER.name
    return [
        _producing(SET_EXTRACT, [project.LOADER, set_wrapper, "/e", harness.windows_path(folder)], env, folder,
                   {folder / half.name: half for half in halves}),
        _producing(ONE_EXTRACT, [project.LOADER, large_patch.WRAPPER, "/e", harness.windows_path(file)], env, file,
                   {file: large_patch.PACKAGE}),
        _producing(SET_MAKE, large_patch.maker_command(made_set, packages=halves), env, made_set,
                   {made_set: set_wrapper}),
        _producing(ONE_MAKE, large_patch.maker_command(made_one), env, made_one, {made_one: large_patch.WRAPPER}),
    ]


def measure():
    large = large_patch.make()
    OUT.mkdir(parents=True, exist_ok=True)
    prefix = wine_session.clone("patch-sets")
    prepared = installed.prepared("patch-sets-product", [PRODUCT])
    try:
        small = _patches(prefix, SMALL, (PRODUCT.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION))
        halves = _patches(prefix, HALVES, large_patch.TARGET, large_patch.FILLER_BYTES // 2)
        small_wrapper = _set_wrapper(prefix, small, "core-and-language.exe")
        large_wrapper = _set_wrapper(prefix, halves, "halves.exe")
        applied = trials.interleave(_apply_variants(prepared, small_wrapper, small), APPLY_ROUNDS,
                                    label="patch sets, applying")
        written = trials.interleave(_large_variants(prefix.env, halves, large_wrapper), LARGE_ROUNDS,
                                    label="patch sets, 256 MiB")
        halves_bytes = sum(half.stat().st_size for half in halves)
    finally:
        prefix.remove()
        prepared.remove()
        shutil.rmtree(FOLDER, ignore_errors=True)
    return _outcome(applied, written, halves_bytes, large.package_bytes)


def _peak(samples, name):
    return samples.peak_kib(name) * 1024


def _timed(samples, name):
    return f"{name} {report.seconds(samples.median(name))}"


def _outcome(applied, written, halves_bytes, package_bytes):
    rows = [
        report.Row(GOAL, f"{PRODUCT.name}, a core and a language patch applied", _timed(applied, SET_APPLY),
                   _timed(applied, TWO_MSIEXEC), report.ratio(applied.ratio(SET_APPLY, TWO_MSIEXEC))),
        report.Row(GOAL, project.tagged("peak resident, set wrapper /e <folder> of two 128 MiB packages"),
                   report.mib(_peak(written, SET_EXTRACT)),
                   f"{ONE_EXTRACT} of one 256 MiB package {report.mib(_peak(written, ONE_EXTRACT))}",
                   report.ratio(_peak(written, SET_EXTRACT) / _peak(written, ONE_EXTRACT))),
        report.Row(GOAL, "maker, a set of two 128 MiB packages",
                   f"{_timed(written, SET_MAKE)}, peak {report.mib(_peak(written, SET_MAKE))}",
                   f"{_timed(written, ONE_MAKE)}, peak {report.mib(_peak(written, ONE_MAKE))}",
                   f"{report.ratio(written.ratio(SET_MAKE, ONE_MAKE))}, peak "
                   f"{report.ratio(_peak(written, SET_MAKE) / _peak(written, ONE_MAKE))}"),
    ]
    notes = [
        f"The set's wrapper, made by the {project.ARCH} maker from its stub, carries two patchbuilder patches of "
        f"{PRODUCT.name}, one bringing it from {demo.OLD_VERSION} to {SMALL[0][2]} and one to {SMALL[1][2]}, and "
        "applies both in one MsiApplyMultiplePatchesW call; msiexec is given one patch a run, the two runs "
        f"one after the other (`{pathlib.Path(harness.WINE).name} msiexec /p <patch> /qn` each, timed together). After "
        "every run both patches were registered for the product (msiquery patchstate) or the bench stops. "
        f"Each run in a fresh copy of a prefix prepared once with the product at {demo.OLD_VERSION}; medians of "
        f"{applied.rounds} interleaved rounds, the ratio the median of the per-round ratios.",
        f"The two 128 MiB packages ({halves_bytes} B together) are patchbuilder patches of half the 256 MiB "
        f"package's filler each; the 256 MiB package ({package_bytes} B) and its wrapper are those of the "
        "extraction and making figures. After every run its exit code was checked and each file it wrote "
        "compared byte for byte with its package (the maker's output with a wrapper made beforehand from the "
        "same packages, as the maker is reproducible), then deleted. Peak resident sizes of the Wine process, "
        f"as GNU time reports them, the largest of {written.rounds} runs; the maker's times medians of those "
        f"{written.rounds} interleaved rounds after a warm-up, fewer than the bench's other figures have, as "
        "each maker run takes seconds.",
    ]
    return report.Outcome("8. Patch sets", True, rows, notes)
