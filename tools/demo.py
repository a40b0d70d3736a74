"""make demo: the wrapper's main job in a fresh private Wine prefix. Installs the demo product
at 12.2.0.3, runs the shipped i686 wrapper, made by the i686 maker, on it, and shows the product and the patch before and after,
the message the wrapper showed, the log it left and its exit code; then runs it once more. On a
kernel that refuses 32-bit programs the x86_64 build, made from the same sources, runs it in
their place, and the demo says so first."""
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path[:0] = [str(ROOT / "tests" / "wine"), str(ROOT / "tools")]

import demo_products as demo  # noqa: E402
import harness  # noqa: E402
import products  # noqa: E402

PRODUCT = demo.PRODUCTS[0]
PREFIX = harness.TOOLS / "wine" / "demo"


def build_choice():
    """The build the demo runs, and the line that says why when it is not the one that ships."""
    arch, reason = harness.runnable_arch()
    if reason is None:
        return arch, None
    return arch, (f"demo: {reason}; running the {arch} build instead (the build that ships is i686, "
                  f"{harness.BUILDS['i686'].relative_to(ROOT)})")


def patch_state(prefix):
    state = products.query(prefix, "patchstate", demo.PATCH_CODE, PRODUCT.product_code)
    if state == "1":
        return "registered (applied)"
    return "not registered" if state.startswith("error") else f"in state {state}"


def describe(prefix, when):
    version = products.query(prefix, "info", PRODUCT.product_code, "VersionString")
    print(f"{when:<12} {PRODUCT.name} version {version}, patch {demo.PATCH_CODE} {patch_state(prefix)}")


def wrapper_run(prefix, arch, label):
    wrapper = harness.demo_wrapper(arch, PREFIX)
    run = prefix.run(wrapper, arch=arch)
    print(f"{label:<12} {wrapper.name} exited with {run.exit_code}")
    for text, caption, _ in run.boxes:
        print(f"{'':<12} message box \"{caption}\": {' '.join(text.split())}")
    return run


def main():
    arch, why = build_choice()
    if why:
        print(why)
    print(f"Build: {arch} ({harness.BUILDS[arch].relative_to(ROOT)}), the wrapper run by {harness.LOADERS[arch]}")
    print(f"Making a fresh private Wine prefix and the demo wrapper ({arch} svcpack-make demo.msp) ...",
          flush=True)
    prefix = harness.Prefix(harness.make_base_prefix(PREFIX, wrappers_of=()))
    print(harness.make_demo_wrapper(prefix, arch), end="")
    msi = products.build_product(harness.TOOLS / "demo-products", PRODUCT.product_code, PRODUCT.name,
                                 demo.OLD_VERSION, demo.UPGRADE_CODE, PRODUCT.language, PRODUCT.locale_id)
    products.install_product(prefix, msi)
    describe(prefix, "Before")
    run = wrapper_run(prefix, arch, "Wrapper run")
    log = prefix.temp_dir / f"{PRODUCT.name}.log"
    if log.is_file():
        print(f"{'':<12} installer log {log} ({log.stat().st_size} bytes)")
    else:
        print(f"{'':<12} no installer log at {log}")
    describe(prefix, "After")
    wrapper_run(prefix, arch, "Second run")
    prefix.stop()
    return 0 if run.exit_code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
