"""The test tools themselves, checked against Wine's real installer: products built by
products.py install with the names, languages and LOCALEIDs asked for; patches written by
patchbuilder.exe apply (the product then reports the new version and the patch as applied);
the odd packages hold exactly the odd summary properties; a product that refuses patches
fails them with 1603; and resources/demo.msp patches the four demo products."""
import pathlib
import subprocess

import pytest

import demo_products
import harness
import products

OLD = "12.2.0.3"
NEW = "12.2.0.4"
UPGRADE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2000}"
PRODUCT_A = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2001}"
PRODUCT_B = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2002}"
PRODUCT_C = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2003}"
PATCH = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2101}"
OBSOLETED = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2100}"
UNKNOWN_PATCH = 1647  # ERROR_UNKNOWN_PATCH: no such patch registered for the product
INSTALL_FAILURE = 1603
BAD_USAGE = 2
COMPOUND_FILE_SIGNATURE = bytes.fromhex("D0CF11E0A1B11AE1")
MSIEXEC = pathlib.Path("drive_c/windows/system32/msiexec.exe")


@pytest.fixture(scope="module", autouse=True)
def base_prefix():
    """The prefix that conftest's `prefix` copies; made once if this run has none yet."""
    if not harness.BASE_PREFIX.exists():
        harness.make_base_prefix()
    return harness.BASE_PREFIX


def target(product_code):
    return (product_code, UPGRADE, OLD)


def apply_patch(prefix, msp):
    """Applies the patch to every product it lists, as `msiexec /p` does; the whole exit code."""
    return prefix.run(prefix.path / MSIEXEC, ["/p", harness.windows_path(msp), "/qn"]).exit_code


def summary(prefix, path, property_id):
    return products.query(prefix, "summary", harness.windows_path(path), property_id)


def test_patch_sets_the_new_version_and_registers_itself(prefix, tmp_path):
    products.install_product(prefix, products.build_product(tmp_path, PRODUCT_A, "Korvanta Büro Prüfer", OLD, UPGRADE))
    assert products.query(prefix, "info", PRODUCT_A, "VersionString") == OLD
    assert products.query(prefix, "patchstate", PATCH, PRODUCT_A) == f"error {UNKNOWN_PATCH}"

    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, prefix=prefix)
    assert apply_patch(prefix, msp) == 0

    assert products.query(prefix, "info", PRODUCT_A, "VersionString") == NEW
    assert products.query(prefix, "patchstate", PATCH, PRODUCT_A) == "1"
    assert products.query(prefix, "info", PRODUCT_A, "ProductName") == "Korvanta Büro Prüfer"


def test_patch_with_two_targets_patches_both_and_no_other(prefix, tmp_path):
    for code in (PRODUCT_A, PRODUCT_B, PRODUCT_C):
        products.install_product(prefix, products.build_product(tmp_path, code, f"Korvanta {code}", OLD, UPGRADE))
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A), target(PRODUCT_B)], NEW,
                               obsoletes=[OBSOLETED], prefix=prefix)
    assert apply_patch(prefix, msp) == 0

    for code in (PRODUCT_A, PRODUCT_B):
        assert products.query(prefix, "info", code, "VersionString") == NEW
        assert products.query(prefix, "patchstate", PATCH, code) == "1"
    assert products.query(prefix, "info", PRODUCT_C, "VersionString") == OLD
    assert products.query(prefix, "patchstate", PATCH, PRODUCT_C) == f"error {UNKNOWN_PATCH}"


def test_filler_stream_has_the_size_asked_and_the_package_stays_a_patch(shared_prefix, tmp_path):
    size = 1_000_003  # not a whole number of sectors
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, filler_bytes=size,
                               prefix=shared_prefix)
    filler = subprocess.run(["msiinfo", "extract", str(msp), "Filler"], capture_output=True, check=True).stdout
    assert len(filler) == size
    assert len(set(filler[:4096])) > 200  # no run of one byte value
    assert summary(shared_prefix, msp, 8) == ":T1"
    assert summary(shared_prefix, msp, 7) == PRODUCT_A


def test_default_summary_lists_targets_transforms_and_codes(shared_prefix, tmp_path):
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A), target(PRODUCT_B)], NEW,
                               obsoletes=[OBSOLETED], prefix=shared_prefix)
    assert msp.read_bytes()[:8] == COMPOUND_FILE_SIGNATURE
    assert summary(shared_prefix, msp, 7) == f"{PRODUCT_A};{PRODUCT_B}"
    assert summary(shared_prefix, msp, 8) == ":T1;:T2"
    assert summary(shared_prefix, msp, 9) == PATCH + OBSOLETED
    assert len(summary(shared_prefix, msp, 9)) == 76
    # msitools reads the same summary on the Linux side: the file is a standard one.
    info = subprocess.run(["msiinfo", "suminfo", str(msp)], capture_output=True, text=True, check=True).stdout
    assert f"Template: {PRODUCT_A};{PRODUCT_B}\n" in info
    assert f"Revision number (UUID): {PATCH}{OBSOLETED}\n" in info


@pytest.mark.parametrize("text", [
    ";".join([PRODUCT_A] * 56)[:2100],  # longer than the wrapper's 2048-character first read
    f"{PRODUCT_A};",
], ids=["2100-characters", "trailing-semicolon"])
def test_targets_text_is_stored_exactly(shared_prefix, tmp_path, text):
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, targets_text=text,
                               prefix=shared_prefix)
    assert summary(shared_prefix, msp, 7) == text
    assert summary(shared_prefix, msp, 9) == PATCH


def test_revision_text_is_stored_exactly(shared_prefix, tmp_path):
    text = f"{PATCH};{OBSOLETED};and more"
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, revision_text=text,
                               prefix=shared_prefix)
    assert summary(shared_prefix, msp, 9) == text
    assert summary(shared_prefix, msp, 7) == PRODUCT_A


@pytest.mark.parametrize("omitted, kept, kept_text", [(7, 9, PATCH), (9, 7, PRODUCT_A)])
def test_omitted_property_is_absent(shared_prefix, tmp_path, omitted, kept, kept_text):
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, omit_property=omitted,
                               prefix=shared_prefix)
    with pytest.raises(products.QueryError):
        summary(shared_prefix, msp, omitted)
    assert summary(shared_prefix, msp, kept) == kept_text
    assert summary(shared_prefix, msp, 8) == ":T1"


def test_not_a_package_is_no_compound_file(shared_prefix, tmp_path):
    path = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], not_a_package=True,
                                prefix=shared_prefix)
    assert path.stat().st_size > 0
    assert path.read_bytes()[:8] != COMPOUND_FILE_SIGNATURE
    with pytest.raises(products.QueryError):
        summary(shared_prefix, path, 7)


@pytest.mark.parametrize("args", [
    [],
    ["--out", "x.msp", "--patch-code", PATCH, "--new-version", NEW],
    ["--out", "x.msp", "--patch-code", "not-a-guid", "--new-version", NEW, "--target", f"{PRODUCT_A},{UPGRADE},{OLD}"],
    ["--out", "x.msp", "--patch-code", PATCH, "--new-version", NEW, "--target", f"{PRODUCT_A},{OLD}"],
    ["--out", "x.msp", "--patch-code", PATCH, "--new-version", NEW, "--target", f"{PRODUCT_A},{UPGRADE},{OLD}",
     "--omit-property", "8"],
    ["--out", "x.msp", "--patch-code", PATCH, "--new-version", NEW, "--target", f"{PRODUCT_A},{UPGRADE},{OLD}",
     "--filler-bytes", "2147483648"],
    ["--out", "x.msp", "--frobnicate"],
], ids=["nothing", "no-target", "bad-guid", "short-target", "omit-8", "filler-2-GiB", "unknown-option"])
def test_bad_usage_exits_with_2_and_says_why(shared_prefix, tmp_path, args):
    proc = shared_prefix.wine([products.PATCHBUILDER, *args], cwd=tmp_path, check=False)
    assert proc.returncode == BAD_USAGE
    assert "patchbuilder: " in proc.stderr and "usage:" in proc.stderr
    assert not (tmp_path / "x.msp").exists()


def test_product_that_refuses_patches_installs_but_fails_the_patch_with_1603(prefix, tmp_path):
    products.install_product(prefix, products.build_product(tmp_path, PRODUCT_A, "Korvanta Refuser", OLD, UPGRADE,
                                                            fail_on_patch=True))
    msp = products.build_patch(tmp_path / "patch.msp", PATCH, [target(PRODUCT_A)], NEW, prefix=prefix)
    assert apply_patch(prefix, msp) == INSTALL_FAILURE
    assert products.query(prefix, "info", PRODUCT_A, "VersionString") == OLD
    assert products.query(prefix, "patchstate", PATCH, PRODUCT_A) == f"error {UNKNOWN_PATCH}"


NAMED_PRODUCTS = [
    # (product code, name, language, locale id)
    ("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2201}", "Korvanta Büro Prüfer", 1031, "1031"),
    ("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2202}", "Korvanta 事務所 (日本語)", 1041, None),
    ("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2203}", "Korvanta Бюро (Русский)", 1049, ""),
    ("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C2204}", 'Korvanta A/B: "Test" <1>|?*', 1033, None),
]


def test_products_install_with_their_names_languages_and_locale_ids(prefix, tmp_path):
    for code, name, language, locale_id in NAMED_PRODUCTS:
        msi = products.build_product(tmp_path, code, name, OLD, UPGRADE, language=language, locale_id=locale_id)
        rows = subprocess.run(["msiinfo", "export", str(msi), "Property"], capture_output=True, text=True,
                              check=True).stdout.splitlines()
        assert [row for row in rows if row.startswith("LOCALEID\t")] == (
            [] if locale_id is None else [f"LOCALEID\t{locale_id}"])
        products.install_product(prefix, msi)
    for code, name, language, locale_id in NAMED_PRODUCTS:
        assert products.query(prefix, "info", code, "ProductName") == name
        assert products.query(prefix, "info", code, "Language") == str(language)
        assert products.query(prefix, "info", code, "VersionString") == OLD
        # An absent LOCALEID reads as empty, like an empty one (for which Wine leaves the
        # caller's buffer and length as they were).
        assert products.query(prefix, "property", code, "LOCALEID") == (locale_id or "")


def test_demo_package_patches_the_four_demo_products(prefix, tmp_path):
    demo = pathlib.Path(__file__).resolve().parents[2] / "resources" / "demo.msp"
    for product in demo_products.PRODUCTS:
        products.install_product(prefix, products.build_product(
            tmp_path, product.product_code, product.name, demo_products.OLD_VERSION, demo_products.UPGRADE_CODE,
            language=product.language, locale_id=product.locale_id))
    assert summary(prefix, demo, 7) == ";".join(p.product_code for p in demo_products.PRODUCTS)
    assert summary(prefix, demo, 9) == demo_products.PATCH_CODE + "".join(demo_products.OBSOLETED_PATCH_CODES)

    assert apply_patch(prefix, demo) == 0

    for product in demo_products.PRODUCTS:
        assert products.query(prefix, "info", product.product_code, "VersionString") == demo_products.NEW_VERSION
        assert products.query(prefix, "info", product.product_code, "ProductName") == product.name
        assert products.query(prefix, "patchstate", demo_products.PATCH_CODE, product.product_code) == "1"
