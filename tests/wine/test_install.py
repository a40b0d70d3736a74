"""The default run against real products installed in the prefix: what the installer reports
afterwards, the logs left behind, the boxes shown and the exit code."""
import json
import re

import pytest

import demo_products as demo
import harness
import pe
import products
from harness import WRAPPER

ENGLISH, GERMAN, JAPANESE, RUSSIAN = demo.PRODUCTS


@pytest.fixture(scope="module")
def table():
    return pe.read(WRAPPER).string_tables()


@pytest.fixture(scope="module")
def product_dir(tmp_path_factory):
    return tmp_path_factory.mktemp("products")


def install(prefix, product_dir, product, version=demo.OLD_VERSION, **options):
    msi = products.build_product(product_dir, product.product_code, product.name, version,
                                 demo.UPGRADE_CODE, product.language, product.locale_id, **options)
    products.install_product(prefix, msi)


def version_and_state(prefix, product):
    version = products.query(prefix, "info", product.product_code, "VersionString")
    state = products.query(prefix, "patchstate", demo.PATCH_CODE, product.product_code)
    return version, state


def package_files(prefix):
    return [p for p in prefix.temp_dir.iterdir() if p.name.startswith("MSP")]


def command_line(package, locale_id, files_in_use):
    locale = f"LOCALEID={locale_id} " if locale_id and len(locale_id) > 1 else ""
    return f'PATCH="{package}" {locale}REBOOTPROMPT=SUPPRESS FILESINUSETEXT="{files_in_use}"'


def configured(run):
    return [(c.args[0], c.args[3]) for c in run.called("MsiConfigureProductExW")]


def test_a_default_run_patches_every_installed_target(prefix, product_dir, table):
    for product in demo.PRODUCTS:
        install(prefix, product_dir, product)
    assert version_and_state(prefix, ENGLISH)[0] == "12.2.0.3"

    run = prefix.run(WRAPPER)
    assert run.exit_code == 0
    for product in demo.PRODUCTS:
        assert version_and_state(prefix, product) == ("12.2.0.4", "1"), product.name

    # One command line per product, in its own language and with its own locale id.
    lines = dict(configured(run))
    assert list(lines) == [p.product_code for p in demo.PRODUCTS]
    for product in demo.PRODUCTS:
        line = lines[product.product_code]
        package = re.match(r'PATCH="(C:\\users\\[^\\"]+\\Temp\\MSP\d+)" ', line).group(1)
        assert harness.same_text(line, command_line(package, product.locale_id, table[product.language][320]))

    # A verbose log named after each product, and one box in the last product's language.
    for product in demo.PRODUCTS:
        log = prefix.temp_dir / f"{product.name}.log"
        assert log.is_file() and log.stat().st_size > 0, product.name
    [(text, caption, style)] = run.boxes
    assert caption == table[RUSSIAN.language][312] and style == 0x50040
    assert harness.same_text(text, table[RUSSIAN.language][301].replace("%s", "service pack"))
    assert package_files(prefix) == []

    again = prefix.run(WRAPPER, ["/q"])
    assert (again.exit_code, again.boxes, configured(again)) == (0, [], [])
    again = prefix.run(WRAPPER)
    assert again.exit_code == 0 and configured(again) == []
    [(text, caption, _)] = again.boxes
    assert caption == table[RUSSIAN.language][313]
    assert RUSSIAN.name in text
    assert package_files(prefix) == []


def test_a_product_already_at_the_new_version_is_told_so_in_its_language(prefix, product_dir, table):
    install(prefix, product_dir, GERMAN, version=demo.NEW_VERSION)
    quiet = prefix.run(WRAPPER, ["/q"])
    assert (quiet.exit_code, quiet.boxes, configured(quiet)) == (0, [], [])
    run = prefix.run(WRAPPER)
    assert run.exit_code == 0 and configured(run) == [] and package_files(prefix) == []
    [(text, caption, style)] = run.boxes
    assert caption == table[GERMAN.language][313] and style == 0x50040
    first, second, rest = table[GERMAN.language][306].split("%s")
    assert harness.same_text(text, f"{first}{GERMAN.name}{second}service pack{rest}")


def test_no_target_installed(prefix, table):
    run = prefix.run(WRAPPER)
    assert run.exit_code == 1642
    [(text, caption, style)] = run.boxes
    assert harness.same_text(text, table[1033][307].replace("%s", "service pack"))
    assert (caption, style) == ("Installation Error", 0x50010)
    assert package_files(prefix) == []
    quiet = prefix.run(WRAPPER, ["/q"])
    assert (quiet.exit_code, quiet.boxes) == (1642, [])


REFUSING = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D01}", "Korvanta Refuser", 1033, "1033")
EMPTY_LOCALE = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D02}", "Korvanta Blank Locale", 1033, "")
OWN_PATCH = "{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2E01}"


def wrapper_for(prefix, tmp_path, *targets):
    msp = products.build_patch(tmp_path / "own.msp", OWN_PATCH, prefix=prefix,
                               targets=[(p.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION) for p in targets])
    return harness.rewrap(prefix, msp, tmp_path / "own.exe")


def test_an_installer_failure_shows_its_code_and_leaves_the_next_product_untouched(prefix, product_dir, tmp_path):
    install(prefix, product_dir, REFUSING, fail_on_patch=True)
    install(prefix, product_dir, EMPTY_LOCALE)
    wrapper = wrapper_for(prefix, tmp_path, REFUSING, EMPTY_LOCALE)
    for options in (["/q"], []):
        run = prefix.run(wrapper, options)
        assert run.exit_code == 1603
        assert [code for code, _ in configured(run)] == [REFUSING.product_code]
        assert products.query(prefix, "info", EMPTY_LOCALE.product_code, "VersionString") == demo.OLD_VERSION
        assert package_files(prefix) == []
    [(text, caption, style)] = run.boxes
    assert text.endswith("Error Code: 1603") and "service pack" in text
    assert (caption, style) == ("Installation Error", 0x50010)

    # An empty LOCALEID, like none at all, leaves the property off the command line.
    alone = wrapper_for(prefix, tmp_path, EMPTY_LOCALE)
    run = prefix.run(alone, ["/q"])
    assert run.exit_code == 0
    [(code, line)] = configured(run)
    assert code == EMPTY_LOCALE.product_code and "LOCALEID" not in line
    assert products.query(prefix, "info", EMPTY_LOCALE.product_code, "VersionString") == demo.NEW_VERSION


# --- The extracted package held, per-user products, languages by family ---

TAMPER_PROBE = harness.TOOLS / "tests" / "wine" / "tamper_probe.exe"
ERROR_SHARING_VIOLATION = "32"
WATCHED = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D03}", "Korvanta Watched", 1033, "1033")
PERSONAL = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D04}", "Korvanta Personal", 1033, "1033")
SPANISH = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D05}", "Korvanta Contabilidad", 3082, "3082")
AUSTRIAN = demo.DemoProduct("{0C9D2E3F-4051-4B6C-9D7E-8F9A0B1C2D06}", "Korvanta Buchhaltung", 3079, "3079")


def test_no_other_process_can_change_the_package_while_the_installer_applies_it(prefix, product_dir, tmp_path):
    # The product's own custom action starts the probe in the middle of the patch's
    # installation, against the package the installer was given ("[PATCH]").
    report = tmp_path / "tamper.txt"
    install(prefix, product_dir, WATCHED, run_on_patch=(
        harness.windows_path(TAMPER_PROBE), f'"[PATCH]" "{harness.windows_path(report)}"'))
    run = prefix.run(wrapper_for(prefix, tmp_path, WATCHED), ["/q"])
    assert run.exit_code == 0
    assert products.query(prefix, "info", WATCHED.product_code, "VersionString") == demo.NEW_VERSION
    assert products.query(prefix, "patchstate", OWN_PATCH, WATCHED.product_code) == "1"
    attempts = dict(line.split() for line in report.read_text().splitlines())
    assert attempts == {"read": "0", "write": ERROR_SHARING_VIOLATION, "rename": ERROR_SHARING_VIOLATION,
                        "delete": ERROR_SHARING_VIOLATION}
    assert package_files(prefix) == []


def test_a_product_installed_for_this_user_alone_is_patched_for_that_user(prefix, product_dir, tmp_path, table):
    install(prefix, product_dir, PERSONAL, per_user=True)
    run = prefix.run(wrapper_for(prefix, tmp_path, PERSONAL))
    assert run.exit_code == 0
    # Both questions went to the user's own context (2), where the installer knows it.
    assert [c.args[2] for c in run.called("MsiDeterminePatchSequenceW")] == [2]
    assert [c.args[3] for c in run.called("MsiGetPatchInfoExW")] == [2]
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[1033][312], 0x50040)
    assert text == table[1033][301].replace("%s", "service pack")
    assert products.query(prefix, "info", PERSONAL.product_code, "VersionString") == demo.NEW_VERSION
    assert products.query(prefix, "patchstate", OWN_PATCH, PERSONAL.product_code, "user") == "1"


def test_products_in_related_languages_get_their_familys_texts(prefix, product_dir, tmp_path, table):
    install(prefix, product_dir, AUSTRIAN)
    install(prefix, product_dir, SPANISH)
    run = prefix.run(wrapper_for(prefix, tmp_path, AUSTRIAN, SPANISH))
    assert run.exit_code == 0
    lines = dict(configured(run))
    for product, version in ((AUSTRIAN, 1031), (SPANISH, 1034)):
        line = lines[product.product_code]
        package = re.match(r'PATCH="([^"]+)" ', line).group(1)
        assert harness.same_text(line, command_line(package, product.locale_id, table[version][320])), product.name
    # The one box comes in the last product's language: Spanish (3082) gets 1034's texts.
    [(text, caption, _)] = run.boxes
    assert caption == table[1034][312]
    assert harness.same_text(text, table[1034][301].replace("%s", "service pack"))

    # Austrian German (3079) gets 1031's: the patch is already there for that product.
    again = prefix.run(wrapper_for(prefix, tmp_path, AUSTRIAN))
    assert again.exit_code == 0 and configured(again) == []
    [(text, caption, _)] = again.boxes
    assert caption == table[1031][313]
    first, second, rest = table[1031][306].split("%s")
    assert harness.same_text(text, f"{first}{AUSTRIAN.name}{second}service pack{rest}")


USER_DATA = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\UserData"


def registered_state(prefix, key):
    """The DWORD "State" under HKEY_LOCAL_MACHINE\\<key> in the registry's 64-bit view, as the
    64-bit reg.exe reads it; None where the key or the value is missing."""
    proc = prefix.wine(["reg", "query", f"HKLM\\{key}", "/v", "State", "/reg:64"], check=False)
    m = re.search(r"^\s*State\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$", proc.stdout, re.M)
    return int(m.group(1), 16) if proc.returncode == 0 and m else None


def user_sids(prefix):
    """The SIDs the installer keeps user data for, other than the machine's own."""
    listed = prefix.wine(["reg", "query", f"HKLM\\{USER_DATA}", "/reg:64"], check=False).stdout
    return [line.rsplit("\\", 1)[1] for line in listed.split() if line.startswith("HKEY") and "\\S-1-5-21-" in line]


def test_the_made_detection_rule_holds_once_the_wrapper_has_patched_and_not_before(prefix, product_dir, tmp_path):
    machine_wide = demo.PRODUCTS[:2]
    for product in machine_wide:
        install(prefix, product_dir, product)
    install(prefix, product_dir, PERSONAL, per_user=True)
    msp = products.build_patch(tmp_path / "own.msp", OWN_PATCH, prefix=prefix,
                               targets=[(p.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION)
                                        for p in (*machine_wide, PERSONAL)])
    wrapper = tmp_path / "own.exe"
    prefix.wine([harness.MAKER, harness.windows_path(msp), harness.windows_path(wrapper),
                 "/stub", harness.windows_path(harness.STUB)])
    rule = json.loads((tmp_path / "own.exe.detection.json").read_text(encoding="ascii"))
    targets = {t["productCode"]: t for t in rule["targets"]}
    assert list(targets) == [p.product_code for p in (*machine_wide, PERSONAL)]
    for target in targets.values():
        assert all(target[form]["view"] == "64-bit" and target[form]["hive"] == "HKEY_LOCAL_MACHINE"
                   for form in ("perMachine", "perUser"))
        assert registered_state(prefix, target["perMachine"]["key"]) is None
        assert target["productVersionAtLeast"] == demo.NEW_VERSION
    assert prefix.run(wrapper, ["/q"]).exit_code == 0

    for product in machine_wide:
        assert registered_state(prefix, targets[product.product_code]["perMachine"]["key"]) == 1, product.name
        assert products.query(prefix, "info", product.product_code, "VersionString") == demo.NEW_VERSION
    # The product installed for this user alone: its patch is registered under the user's SID.
    personal = targets[PERSONAL.product_code]
    assert registered_state(prefix, personal["perMachine"]["key"]) is None
    [sid] = user_sids(prefix)
    assert registered_state(prefix, personal["perUser"]["key"].replace(rule["userSidPlaceholder"], sid)) == 1
