"""The removal mode ("/uninstall") against real products: what the wrapper asks of the
installer, the boxes it shows and the exit code. Wine 8's MsiRemovePatchesW does nothing and
answers success, so a removal here always leaves the patch registered: the wrapper must call
that a failure, never a success."""
import pytest

import demo_products as demo
import harness
import pe
import products

MACHINE = demo.DemoProduct("{7A1E4F2B-3C5D-4E6F-8A9B-0C1D2E3F4A01}", "Korvanta Removable", 1033, "1033")
PERSONAL = demo.DemoProduct("{7A1E4F2B-3C5D-4E6F-8A9B-0C1D2E3F4A02}", "Korvanta Personal Removable", 1031, "1031")
UNPATCHED = demo.DemoProduct("{7A1E4F2B-3C5D-4E6F-8A9B-0C1D2E3F4A03}", "Korvanta Never Patched", 1033, "1033")
PATCH = "{7A1E4F2B-3C5D-4E6F-8A9B-0C1D2E3F4B01}"
INSTALLTYPE_SINGLE_INSTANCE = 2
STYLE_ERROR, STYLE_INFORMATION = 0x50010, 0x50040


@pytest.fixture(scope="module")
def table():
    return pe.read(harness.WRAPPER).string_tables()


def wrapper(prefix, tmp_path, targets, removable):
    """A wrapper around a patch for `targets`, which allows its removal when `removable`."""
    metadata = {"AllowRemoval": "1"} if removable else None
    msp = products.build_patch(tmp_path / "removable.msp", PATCH, prefix=prefix, metadata=metadata,
                               targets=[(p.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION) for p in targets])
    return harness.rewrap(prefix, msp, tmp_path / "removable.exe")


def install(prefix, tmp_path, product, per_user=False):
    msi = products.build_product(tmp_path, product.product_code, product.name, demo.OLD_VERSION,
                                 demo.UPGRADE_CODE, product.language, product.locale_id, per_user=per_user)
    products.install_product(prefix, msi)


def patch_state(prefix, product, per_user):
    return products.query(prefix, "patchstate", PATCH, product.product_code, "user" if per_user else "machine")


def removals(run):
    return [(c.args[0], c.args[1], c.args[2], c.args[3]) for c in run.called("MsiRemovePatchesW")]


@pytest.mark.parametrize("product, per_user", [(MACHINE, False), (PERSONAL, True)], ids=["per_machine", "per_user"])
def test_a_removal_the_installer_does_not_carry_out_is_reported_as_the_failure_it_is(
        prefix, tmp_path, table, product, per_user):
    install(prefix, tmp_path, product, per_user)
    exe = wrapper(prefix, tmp_path, [product], removable=True)
    assert prefix.run(exe, ["/q"]).exit_code == 0
    assert patch_state(prefix, product, per_user) == "1"

    run = prefix.run(exe, ["/uninstall", "/norestart"])
    assert run.exit_code == 1603
    assert removals(run) == [(PATCH, product.product_code, INSTALLTYPE_SINGLE_INSTANCE,
                              f"LOCALEID={product.locale_id} REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress")]
    # Asked in the product's own context before and after: 4 per machine, 2 for this user.
    context = 2 if per_user else 4
    assert {c.args[3] for c in run.called("MsiGetPatchInfoExW")} == {context}
    assert patch_state(prefix, product, per_user) == "1"
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[product.language][327], STYLE_ERROR)
    assert text.endswith("1603")
    assert (prefix.temp_dir / f"{product.name}.uninstall.log").is_file()
    assert [p for p in prefix.temp_dir.iterdir() if p.name.startswith("MSP")] == []

    quiet = prefix.run(exe, ["/X", "/q"])
    assert (quiet.exit_code, quiet.boxes, len(removals(quiet))) == (1603, [], 1)


def test_a_patch_that_does_not_allow_its_removal_is_removed_from_no_product(prefix, tmp_path, table):
    install(prefix, tmp_path, MACHINE)
    exe = wrapper(prefix, tmp_path, [UNPATCHED, MACHINE], removable=False)
    assert prefix.run(exe, ["/q"]).exit_code == 0
    install(prefix, tmp_path, UNPATCHED)  # installed since, so without the patch: passed over
    run = prefix.run(exe, ["/uninstall"])
    assert run.exit_code == 1646
    assert removals(run) == []
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[1033][327], STYLE_ERROR)
    assert MACHINE.name in text
    assert patch_state(prefix, MACHINE, False) == "1"


def test_nothing_to_remove_is_a_success_and_quiet_under_q(prefix, tmp_path, table):
    install(prefix, tmp_path, UNPATCHED)
    exe = wrapper(prefix, tmp_path, [UNPATCHED, MACHINE], removable=True)
    run = prefix.run(exe, ["/uninstall"])
    assert (run.exit_code, removals(run)) == (0, [])
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[1033][326], STYLE_INFORMATION)
    assert text == table[1033][322].replace("%s", "service pack")
    quiet = prefix.run(exe, ["/uninstall", "/q"])
    assert (quiet.exit_code, quiet.boxes, removals(quiet)) == (0, [], [])
