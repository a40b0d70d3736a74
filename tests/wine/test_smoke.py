"""The shipped i686 programs' main paths, as one story in one prefix: the i686 maker makes the
demo wrapper (the same bytes as the x64 maker makes from the same stub), the wrapper patches the
demo product per machine, has nothing to do on its second run, writes its package with "/e",
refuses to take the unremovable demo patch back, and logs every run. Where the kernel refuses
32-bit programs these are the only i686 tests, run under user-mode emulation (emulation.py),
where every start of a 32-bit program costs a minute or more: hence one prefix, made once, and
a limit on each program that fails its test rather than hanging the run."""
import re
import subprocess

import pytest

import demo_products as demo
import harness
import products

PRODUCT = demo.PRODUCTS[0]
BASE = harness.TOOLS / "wine" / "smoke"
WRAPPER = harness.demo_wrapper("i686", BASE)
# Measured under emulation here: a WoW64 prefix 2 min 45 s, an installing run about 4 min.
LIMIT = 900
STYLE_INFORMATION = 0x50040

pytestmark = pytest.mark.skipif(harness.ARCH != "i686", reason="the smoke set is the shipped i686 build's")


def within_limit(step, what):
    try:
        return step()
    except subprocess.TimeoutExpired as expired:
        pytest.fail(f"{what} did not end within {expired.timeout:.0f} s")


@pytest.fixture(scope="module")
def story(tmp_path_factory):
    path = within_limit(lambda: harness.make_base_prefix(BASE, wrappers_of=(), timeout=LIMIT), "making a WoW64 prefix")
    prefix = harness.Prefix(path).keep_running()
    msi = products.build_product(tmp_path_factory.mktemp("product"), PRODUCT.product_code, PRODUCT.name,
                                 demo.OLD_VERSION, demo.UPGRADE_CODE, PRODUCT.language, PRODUCT.locale_id)
    products.install_product(prefix, msi)
    yield prefix
    prefix.remove()


def run(prefix, *args):
    return within_limit(lambda: prefix.run(WRAPPER, list(args), timeout=LIMIT), f"{WRAPPER.name} {' '.join(args)}")


def test_the_i686_maker_makes_the_demo_wrapper_byte_for_byte_as_the_x64_maker(story, tmp_path):
    said = within_limit(lambda: harness.make_demo_wrapper(story, "i686"), "the i686 maker")
    assert demo.NEW_VERSION in said
    x64 = tmp_path / WRAPPER.name
    story.wine([harness.BUILDS["x86_64"] / "svcpack-make.exe", harness.windows_path(harness.DEMO_PACKAGE),
                harness.windows_path(x64), "/stub", harness.windows_path(harness.BUILDS["i686"] / "svcpack.exe")])
    assert x64.read_bytes() == WRAPPER.read_bytes()


def test_the_wrapper_patches_the_demo_product_per_machine(story):
    patched = run(story)
    assert patched.exit_code == 0
    assert [c.args[0] for c in patched.called("MsiConfigureProductExW")] == [PRODUCT.product_code]
    assert re.match(r'PATCH="C:\\users\\[^\\"]+\\Temp\\MSP\d+" REBOOTPROMPT=SUPPRESS ',
                    patched.called("MsiConfigureProductExW")[0].args[3])
    assert patched.boxes == [("The service pack has been successfully installed.", "Installation Successful",
                              STYLE_INFORMATION)]
    assert products.query(story, "info", PRODUCT.product_code, "VersionString") == demo.NEW_VERSION
    assert products.query(story, "patchstate", demo.PATCH_CODE, PRODUCT.product_code) == "1"


def test_the_second_run_has_nothing_to_do(story):
    again = run(story, "/q")
    assert (again.exit_code, again.boxes, again.called("MsiConfigureProductExW")) == (0, [], [])


def test_e_writes_the_package_byte_for_byte(story, tmp_path):
    target = tmp_path / "out.msp"
    assert run(story, "/e", harness.windows_path(target)).exit_code == 0
    assert target.read_bytes() == harness.DEMO_PACKAGE.read_bytes()


def test_uninstall_refuses_the_unremovable_patch_without_a_removal(story):
    refused = run(story, "/uninstall", "/q")
    assert refused.exit_code == 1646
    assert refused.called("MsiRemovePatchesW") == []
    assert products.query(story, "patchstate", demo.PATCH_CODE, PRODUCT.product_code) == "1"


def test_every_run_is_in_the_run_log(story):
    log = (story.temp_dir / f"{WRAPPER.name}.log").read_text(encoding="utf-8")
    starts = re.findall(r"<!\[LOG\[svcpack [\d.]+ \((\w+)\) started: ", log)
    exits = re.findall(r"<!\[LOG\[Exit code (\d+): ", log)
    assert starts == ["i686"] * 4 and exits == ["0", "0", "0", "1646"]
