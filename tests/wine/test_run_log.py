"""The wrapper's own run log as administrators read it: one entry a line in the format of
Configuration Manager's log viewers, each target product's fate and the exit code; "/log" and
a log that cannot be written; the usage box of "/?"."""
import re

import pytest

import demo_products as demo
import harness
import pe
import products

ENGLISH, GERMAN, JAPANESE, RUSSIAN = demo.PRODUCTS
PATCH = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B11}"
# The viewer's pattern for one entry; the time carries the signed time zone bias.
VIEWER_ENTRY = re.compile(r'<!\[LOG\[(.*?)\]LOG\]!><time="\d\d:\d\d:\d\d\.\d{3}[+-]\d{3}" date="\d\d-\d\d-\d{4}" '
                          r'component="([^"]*)" context="" type="([123])" thread="\d+" file="">')
INFORMATION, WARNING, ERROR = "1", "2", "3"


@pytest.fixture(scope="module")
def product_dir(tmp_path_factory):
    return tmp_path_factory.mktemp("products")


def install(prefix, product_dir, *installed):
    for product in installed:
        msi = products.build_product(product_dir, product.product_code, product.name, demo.OLD_VERSION,
                                     demo.UPGRADE_CODE, product.language, product.locale_id)
        products.install_product(prefix, msi)


def wrapper(prefix, tmp_path, targets_text=None):
    """A wrapper named MyProduct-SP1.exe for the four demo products. Wine's installer compares
    the target list with a product's code to the letter, so a code written in lower case is
    found installed and then does not fit: the misfit."""
    msp = products.build_patch(tmp_path / "sp1.msp", PATCH, prefix=prefix, targets=demo.patch_targets(),
                               targets_text=targets_text)
    return harness.rewrap(prefix, msp, tmp_path / "MyProduct-SP1.exe")


def entries(path):
    """(type, text) of each line of the log, each of which must be one whole entry."""
    lines = path.read_bytes().decode("utf-8").split("\r\n")
    assert lines.pop() == ""
    parsed = []
    for line in lines:
        entry = VIEWER_ENTRY.fullmatch(line)
        assert entry, line
        assert entry[2] == "MyProduct-SP1"
        parsed.append((entry[3], entry[1]))
    return parsed


def entry_with(log, *parts):
    """The one entry that holds every part."""
    [found] = [(kind, text) for kind, text in log if all(part in text for part in parts)]
    return found


def test_the_run_log_tells_each_products_fate_and_the_exit_code(prefix, product_dir, tmp_path):
    install(prefix, product_dir, ENGLISH, GERMAN, JAPANESE)
    codes = [ENGLISH.product_code, GERMAN.product_code, JAPANESE.product_code.lower(), RUSSIAN.product_code]
    exe = wrapper(prefix, tmp_path, ";".join(codes))
    run = prefix.run(exe, ["/q", "/norestart"])
    assert run.exit_code == 0

    log = entries(prefix.temp_dir / "MyProduct-SP1.exe.log")
    assert log[0][0] == INFORMATION and harness.windows_path(exe) in log[0][1]
    assert entry_with(log, "Command line: ", "/q /norestart")[0] == INFORMATION
    assert entry_with(log, "Patch code: " + PATCH)[0] == INFORMATION
    assert entry_with(log, RUSSIAN.product_code, "not installed") == (INFORMATION, f"{RUSSIAN.product_code}: not installed")
    kind, text = entry_with(log, codes[2], "does not fit")
    assert kind == WARNING and JAPANESE.name in text
    for product in (ENGLISH, GERMAN):
        assert entry_with(log, product.product_code, "needs the patch")[0] == INFORMATION
        kind, text = entry_with(log, product.product_code, "configured with PATCH=")
        assert kind == INFORMATION and "REBOOT=ReallySuppress" in text and "answered 0 (success)" in text
        assert text.endswith(f"its log: {harness.windows_path(prefix.temp_dir)}\\{product.name}.log".replace(
            harness.windows_path(prefix.temp_dir), r"C:\users\%s\Temp" % prefix.temp_dir.parent.name))
    assert entry_with(log, "Message 308 not shown")[0] == INFORMATION
    assert log[-1] == (INFORMATION, "Exit code 0: success")

    # A second run appends its own entries after the first's.
    again = prefix.run(exe, ["/q"])
    assert again.exit_code == 0
    more = entries(prefix.temp_dir / "MyProduct-SP1.exe.log")
    assert more[:len(log)] == log and more[-1] == (INFORMATION, "Exit code 0: success")
    assert entry_with(more[len(log):], ENGLISH.product_code, "already registered")[0] == INFORMATION


def test_log_puts_the_run_log_and_the_installer_logs_where_it_says(prefix, product_dir, tmp_path):
    install(prefix, product_dir, ENGLISH)
    exe = wrapper(prefix, tmp_path)
    run = prefix.run(exe, ["/q", "/log", r"%TEMP%\Deploy Logs\sp1.log"])
    assert run.exit_code == 0
    folder = prefix.temp_dir / "Deploy Logs"
    assert sorted(p.name for p in folder.iterdir()) == ["Korvanta Demo.log", "sp1.log"]
    assert entries(folder / "sp1.log")[-1] == (INFORMATION, "Exit code 0: success")
    assert not (prefix.temp_dir / "MyProduct-SP1.exe.log").exists()


def test_a_log_that_cannot_be_written_changes_nothing_else(prefix, product_dir, tmp_path):
    install(prefix, product_dir, ENGLISH, GERMAN)
    exe = wrapper(prefix, tmp_path)
    blocker = tmp_path / "not a folder"
    blocker.write_text("a file where the log's folder should be")
    run = prefix.run(exe, ["/q", "/log", harness.windows_path(blocker / "sp1.log")])
    assert run.exit_code == 0
    assert [c.args[0] for c in run.called("MsiConfigureProductExW")] == [ENGLISH.product_code, GERMAN.product_code]
    # The installer's logs fall back to the temporary folder, where they always were.
    assert [c.args[1] for c in run.called("MsiEnableLogW") if c.args[1]] == [
        rf"C:\users\{prefix.temp_dir.parent.name}\Temp\{p.name}.log" for p in (ENGLISH, GERMAN)]
    assert blocker.read_text() == "a file where the log's folder should be"
    assert version_of(prefix, GERMAN) == demo.NEW_VERSION


def version_of(prefix, product):
    return products.query(prefix, "info", product.product_code, "VersionString")


@pytest.mark.parametrize("options", [["/?"], ["/help", "/q"], ["/x", "/?"]])
def test_help_shows_the_usage_and_does_nothing_else(prefix, product_dir, tmp_path, options):
    install(prefix, product_dir, ENGLISH)
    table = pe.read(harness.WRAPPER).string_tables()
    run = prefix.run(harness.WRAPPER, options)
    assert run.exit_code == 0
    assert [c for c in run.calls if c.function.startswith("msi.")] == []
    [(text, caption, style)] = run.boxes
    assert (caption, style) == (table[1033][331], 0x50040)
    assert harness.same_text(text, table[1033][330])
    assert [p for p in prefix.temp_dir.iterdir() if p.name.startswith("MSP")] == []
    assert version_of(prefix, ENGLISH) == demo.OLD_VERSION
