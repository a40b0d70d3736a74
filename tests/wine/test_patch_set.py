"""A wrapper that carries a vendor's set of patches, against real products: which product gets
which patch and through which installer call, what the installer registered afterwards, "/e"
into a folder, "/i" per package, the set's removal, and damaged sets refused."""
import pytest

import demo_products as demo
import harness
import pe
import products

UPGRADE = "{3B5C7D9E-1F20-4A3B-8C4D-5E6F7A8B9C00}"
EDITION = [demo.DemoProduct("{3B5C7D9E-1F20-4A3B-8C4D-5E6F7A8B9C0%d}" % n, f"Korvanta Edition {n}", 1033, "1033")
           for n in (1, 2, 3, 4)]
CORE, LANGUAGE = "{3B5C7D9E-1F20-4A3B-8C4D-5E6F7A8B9D01}", "{3B5C7D9E-1F20-4A3B-8C4D-5E6F7A8B9D02}"
OLD, CORE_VERSION, LANGUAGE_VERSION = demo.OLD_VERSION, "12.2.0.4", "12.2.0.5"
INSTALLTYPE_SINGLE_INSTANCE = 2
STYLE_ERROR, STYLE_INFORMATION = 0x50010, 0x50040


@pytest.fixture(scope="module")
def table():
    return pe.read(harness.WRAPPER).string_tables()


def patch(prefix, tmp_path, name, code, targets, version):
    return products.build_patch(tmp_path / name, code, prefix=prefix, new_version=version,
                                metadata={"AllowRemoval": "1"},
                                targets=[(p.product_code, UPGRADE, OLD, version) for p in targets])


def set_wrapper(prefix, out, *packages):
    """The set's wrapper as a release engineer makes it: the maker of the build under test, the
    versions taken from the patches."""
    harness.make_set_wrapper(prefix, packages, out)
    return out


def install(prefix, tmp_path, *targets):
    for product in targets:
        products.install_product(prefix, products.build_product(
            tmp_path, product.product_code, product.name, OLD, UPGRADE, product.language, product.locale_id))


def registered(prefix, patch_code, product):
    return products.query(prefix, "patchstate", patch_code, product.product_code) == "1"


def configured(run):
    return [(c.args[0], c.args[3]) for c in run.called("MsiConfigureProductExW")]


def package_path(command_line):
    return command_line[len('PATCH="'):command_line.index('"', len('PATCH="'))]


def temporary_packages(prefix):
    return [p for p in prefix.temp_dir.iterdir() if p.name.startswith("MSP")]


def test_an_edition_split_gives_each_installed_product_its_own_patch_and_nothing_crossed(prefix, tmp_path):
    first, second, third, fourth = EDITION
    install(prefix, tmp_path, first, second, third)
    a = patch(prefix, tmp_path, "a.msp", CORE, [first, second], CORE_VERSION)
    b = patch(prefix, tmp_path, "b.msp", LANGUAGE, [third, fourth], LANGUAGE_VERSION)
    exe = set_wrapper(prefix, tmp_path / "split.exe", a, b)
    run = prefix.run(exe, ["/q"])
    assert run.exit_code == 0
    assert run.called("MsiApplyMultiplePatchesW") == []
    calls = configured(run)
    assert [code for code, _ in calls] == [first.product_code, second.product_code, third.product_code]
    paths = [package_path(line) for _, line in calls]
    assert paths[0] == paths[1] != paths[2]
    # Each asked about its own patch alone, once.
    assert [c.args[3] for c in run.called("MsiDeterminePatchSequenceW")] == [1, 1, 1]
    for product, own, other, version in ((first, CORE, LANGUAGE, CORE_VERSION), (second, CORE, LANGUAGE, CORE_VERSION),
                                         (third, LANGUAGE, CORE, LANGUAGE_VERSION)):
        assert registered(prefix, own, product), product.name
        assert not registered(prefix, other, product), product.name
        assert products.query(prefix, "info", product.product_code, "VersionString") == version
    assert temporary_packages(prefix) == []


def test_a_core_and_a_language_patch_go_to_their_product_in_one_call_and_come_back_in_one(prefix, tmp_path, table):
    product = EDITION[0]
    install(prefix, tmp_path, product)
    core = patch(prefix, tmp_path, "core.msp", CORE, [product], CORE_VERSION)
    language = patch(prefix, tmp_path, "lang.msp", LANGUAGE, [product], LANGUAGE_VERSION)
    exe = set_wrapper(prefix, tmp_path / "pair.exe", core, language)
    run = prefix.run(exe, ["/norestart"])
    assert run.exit_code == 0
    [sequence] = run.called("MsiDeterminePatchSequenceW")
    assert sequence.args[3] == 2  # both patches in one question
    assert configured(run) == []
    [applied] = run.called("MsiApplyMultiplePatchesW")
    packages = applied.args[0].split(";")
    assert len(packages) == 2 and all(p.startswith("C:\\users\\") for p in packages)
    assert applied.args[1] == product.product_code
    assert harness.same_text(applied.args[2], f"LOCALEID={product.locale_id} REBOOTPROMPT=SUPPRESS "
                                              f"REBOOT=ReallySuppress FILESINUSETEXT=\"{table[1033][320]}\"")
    assert registered(prefix, CORE, product) and registered(prefix, LANGUAGE, product)
    assert [p.name for p in prefix.temp_dir.glob("*.log") if p.name.startswith("Korvanta")] == [f"{product.name}.log"]
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[1033][312], STYLE_INFORMATION)
    assert temporary_packages(prefix) == []

    again = prefix.run(exe, ["/q"])
    assert (again.exit_code, configured(again), again.called("MsiApplyMultiplePatchesW")) == (0, [], [])

    # Wine's MsiRemovePatchesW answers success and removes nothing: the re-check must say so.
    removal = prefix.run(exe, ["/uninstall", "/q"])
    assert removal.exit_code == 1603
    assert [tuple(c.args[:4]) for c in removal.called("MsiRemovePatchesW")] == [
        (f"{CORE};{LANGUAGE}", product.product_code, INSTALLTYPE_SINGLE_INSTANCE,
         f"LOCALEID={product.locale_id} REBOOTPROMPT=SUPPRESS")]
    assert registered(prefix, CORE, product) and registered(prefix, LANGUAGE, product)
    log = (prefix.temp_dir / f"{exe.name}.log").read_text(encoding="utf-8")
    assert "removal of core.msp, lang.msp asked with" in log
    assert "core.msp is still registered after the removal" in log
    assert "lang.msp is still registered after the removal" in log


def test_a_patch_of_the_set_already_registered_leaves_the_other_to_todays_single_call(prefix, tmp_path):
    product = EDITION[1]
    install(prefix, tmp_path, product)
    core = patch(prefix, tmp_path, "core.msp", CORE, [product], CORE_VERSION)
    language = patch(prefix, tmp_path, "lang.msp", LANGUAGE, [product], LANGUAGE_VERSION)
    assert prefix.run(harness.rewrap(prefix, core, tmp_path / "core.exe"), ["/q"]).exit_code == 0
    assert registered(prefix, CORE, product) and not registered(prefix, LANGUAGE, product)

    exe = set_wrapper(prefix, tmp_path / "pair.exe", core, language)
    run = prefix.run(exe, ["/q"])
    assert run.exit_code == 0
    assert run.called("MsiApplyMultiplePatchesW") == []
    [(code, line)] = configured(run)
    assert code == product.product_code and line.startswith('PATCH="C:\\users\\')
    assert registered(prefix, LANGUAGE, product)
    log = (prefix.temp_dir / f"{exe.name}.log").read_text(encoding="utf-8")
    assert "core.msp is already registered" in log and "needs lang.msp" in log


def test_extraction_listing_and_damaged_sets(shared_prefix, tmp_path):
    prefix = shared_prefix
    first, second = EDITION[:2]
    core = patch(prefix, tmp_path, "Core SP1.msp", CORE, [first, second], CORE_VERSION)
    language = patch(prefix, tmp_path, "Lang SP1.msp", LANGUAGE, [first], LANGUAGE_VERSION)
    versions = [(first.product_code, LANGUAGE_VERSION), (second.product_code, CORE_VERSION)]
    exe = set_wrapper(prefix, tmp_path / "set.exe", core, language)

    folder = tmp_path / "out" / "set"
    folder.mkdir(parents=True)
    (folder / "Core SP1.msp").write_bytes(b"old" * 100000)
    run = prefix.run(exe, ["/e", harness.windows_path(folder)])
    assert (run.exit_code, run.boxes, run.calls) == (0, [], [])
    assert (folder / "Core SP1.msp").read_bytes() == core.read_bytes()
    assert (folder / "Lang SP1.msp").read_bytes() == language.read_bytes()
    missing = tmp_path / "new" / "deeper"
    assert prefix.run(exe, ["/e", harness.windows_path(missing)]).exit_code == 0
    assert sorted(p.name for p in missing.iterdir()) == ["Core SP1.msp", "Lang SP1.msp"]

    # "/e" alone: a new folder in the temporary folder, named in a box unless /q says no box.
    shown = prefix.run(exe, ["/e"])
    [made] = [p for p in shown.new_files if p.is_dir()]
    assert made.is_dir() and made.name.startswith("MSP")
    assert sorted(p.name for p in made.iterdir()) == ["Core SP1.msp", "Lang SP1.msp"]
    [(text, caption, style)] = shown.boxes
    assert text.startswith("C:\\users\\") and text.endswith(f"\\Temp\\{made.name}\\") and style == STYLE_INFORMATION
    quiet = prefix.run(exe, ["/q", "/e"])
    assert (quiet.exit_code, quiet.boxes) == (0, [])
    log = (prefix.temp_dir / f"{exe.name}.log").read_text(encoding="utf-8")
    assert f"The patch packages are in {text}" in log

    listed = prefix.run(exe, ["/i"])
    [(text, caption, _)] = listed.boxes
    assert caption == "List of Products"
    assert text == (f"Core SP1.msp: {first.product_code};{second.product_code}\n"
                    f"Lang SP1.msp: {first.product_code}")

    # A damaged set resource, and a set one of whose packages is no package, change nothing.
    not_a_package = tmp_path / "not.msp"
    not_a_package.write_bytes(b"not a package")
    for name, damaged in (
            ("one-name.exe", harness.rewrap_set(prefix, [("a.msp", core), ("b.msp", language)], tmp_path / "one-name.exe",
                                                resource=harness.set_resource(["a.msp"], versions))),
            ("bad-package.exe", harness.rewrap_set(prefix, [("a.msp", core), ("b.msp", not_a_package)],
                                                   tmp_path / "bad-package.exe", versions))):
        for options in (["/q"], ["/uninstall", "/q"], ["/e", harness.windows_path(tmp_path / name)]):
            refused = prefix.run(damaged, options)
            assert refused.exit_code == 1603, (name, options)
            assert [c.name for c in refused.calls if c.name.startswith("Msi")] == [], (name, options)
