"""Faults injected around the wrapper and bad packages: every case ends in a clear box (none
under /q), a documented exit code, and nothing written where it does not belong."""
import re
import resource
import shutil
import signal
import subprocess

import pytest

import demo_products as demo
import harness
import products
from harness import WRAPPER, windows_path
from test_extract import immutable

ERROR = ("Installation Error", 0x50010)
ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED = 3, 5
OWN_PATCH = "{0D0E1F20-3142-4C5D-8E9F-A0B1C2D3E401}"
UPGRADE = "{0D0E1F20-3142-4C5D-8E9F-A0B1C2D3E500}"


def code(n):
    return "{0D0E1F20-3142-4C5D-8E9F-%012X}" % n


def package_files(directory):
    return sorted(p.name for p in directory.iterdir() if p.name.startswith("MSP"))


def wrapper_for(prefix, tmp_path, name="w", **package):
    package.setdefault("targets", [(code(1), UPGRADE, "12.2.0.3")])
    msp = products.build_patch(tmp_path / f"{name}.msp", OWN_PATCH, prefix=prefix, **package)
    return harness.rewrap(prefix, msp, tmp_path / f"{name}.exe")


def caption_and_style(run):
    [(_, caption, style)] = run.boxes
    return caption, style


# --- The temporary directory ---

def error_code(run):
    """The error code message 300 shows."""
    [(text, _, _)] = run.boxes
    return int(re.search(r"Error Code: (-?\d+)$", text).group(1))


def test_a_missing_temporary_directory(prefix, tmp_path):
    prefix.set_temp(windows_path(tmp_path / "gone"))
    install, listing, extract = (prefix.run(WRAPPER, args, watch=tmp_path) for args in ([], ["/i"], ["/e"]))
    assert (install.exit_code, caption_and_style(install)) == (1603, ERROR)
    assert error_code(install) == ERROR_PATH_NOT_FOUND  # the creation's own error
    assert (listing.exit_code, listing.boxes[0][0]) == (1603, "")
    # No name that could not be created is handed to the installer's summary read.
    assert listing.called("MsiGetSummaryInformationW") == []
    assert extract.exit_code == 1603 and extract.boxes == []
    assert not (tmp_path / "gone").exists()
    assert install.new_files == listing.new_files == extract.new_files == []


def test_an_unwritable_temporary_directory(prefix):
    with immutable(prefix.temp_dir):
        install = prefix.run(WRAPPER)
        quiet = prefix.run(WRAPPER, ["/q"])
    assert (install.exit_code, caption_and_style(install)) == (1603, ERROR)
    assert error_code(install) == ERROR_ACCESS_DENIED  # not what a later check left behind
    assert (quiet.exit_code, quiet.boxes) == (1603, [])
    assert package_files(prefix.temp_dir) == []
    assert install.called("MsiGetSummaryInformationW") == []


def test_a_write_that_falls_short(prefix, tmp_path, package_bytes):
    limit = len(package_bytes) // 2

    def limited():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

    # The prefix's server runs unlimited (the fixture started it); only the programs started
    # for the test are held to the limit. Output goes to a file, as a pipe could be held open
    # by a service started meanwhile.
    output = tmp_path / "launcher.out"
    with open(output, "w") as out:
        subprocess.run([harness.LOADER, harness.LAUNCHER, windows_path(WRAPPER), "/q"], env=prefix.env,
                       preexec_fn=limited, stdout=out, stderr=subprocess.DEVNULL, timeout=120)
    assert "EXITCODE=1603" in output.read_text()
    # The partial file stays, as a failed extraction leaves it; nothing was configured.
    [partial] = package_files(prefix.temp_dir)
    assert (prefix.temp_dir / partial).stat().st_size <= limit
    assert package_bytes.startswith((prefix.temp_dir / partial).read_bytes())


# --- Bad packages ---

@pytest.mark.parametrize("package, exit_code, caption", [
    ({"not_a_package": True}, 1603, "Installation Error"),
    ({"omit_property": 7}, 1642, "Installation Error"),   # no targets: nothing installed (307)
])
def test_a_bad_package_gives_a_clean_failure(prefix, tmp_path, package, exit_code, caption):
    wrapper = wrapper_for(prefix, tmp_path, **package)
    run = prefix.run(wrapper)
    assert run.exit_code == exit_code
    assert caption_and_style(run) == (caption, 0x50010)
    assert package_files(prefix.temp_dir) == []
    assert run.called("MsiConfigureProductExW") == []


def with_a_small_stream_cut_short(package):
    """The package, whole in length, with the chain of its first small stream (the summary
    information, in the mini stream) ended after its first 64 bytes."""
    data = bytearray(package)
    u32 = lambda at: int.from_bytes(data[at:at + 4], "little")
    sector = lambda n: (n + 1) * 512
    summary = data.index("\x05SummaryInformation".encode("utf-16-le"), sector(u32(48)))
    at = sector(u32(60)) + 4 * u32(summary + 116)
    data[at:at + 4] = (0xFFFFFFFE).to_bytes(4, "little")
    return bytes(data)


@pytest.mark.parametrize("damage", [lambda p: p[: len(p) // 2], with_a_small_stream_cut_short],
                         ids=["truncated", "small_stream_cut_short"])
def test_a_damaged_package_is_never_handed_to_the_installer(prefix, tmp_path, package_bytes, damage):
    damaged = tmp_path / "damaged.msp"
    damaged.write_bytes(damage(package_bytes))
    wrapper = harness.rewrap(prefix, damaged, tmp_path / "damaged.exe")
    run = prefix.run(wrapper)
    assert run.exit_code == 1603
    assert caption_and_style(run) == ERROR
    assert run.calls == [c for c in run.calls if c.name == "MessageBoxW"]
    extract = prefix.run(wrapper, ["/e", windows_path(tmp_path / "out.msp")])
    assert extract.exit_code == 1603 and not (tmp_path / "out.msp").exists()
    assert package_files(prefix.temp_dir) == []


def test_a_package_without_a_patch_code_patches_nothing_it_cannot_name(prefix, tmp_path):
    run = prefix.run(wrapper_for(prefix, tmp_path, omit_property=9))
    assert run.exit_code == 1642
    assert caption_and_style(run) == ERROR
    assert package_files(prefix.temp_dir) == []


# --- Target lists ---

def test_a_thousand_targets_none_installed(prefix, tmp_path):
    text = ";".join(code(n) for n in range(1, 1001))
    run = prefix.run(wrapper_for(prefix, tmp_path, targets_text=text), timeout=600)
    assert run.exit_code == 1642
    assert len(run.called("MsiQueryProductStateW")) == 1000
    assert caption_and_style(run) == ERROR


def test_malformed_target_lists(prefix, tmp_path, product_dir):
    installed = demo.PRODUCTS[0]
    products.install_product(prefix, products.build_product(
        product_dir, installed.product_code, installed.name, demo.OLD_VERSION, demo.UPGRADE_CODE))
    for n, text in enumerate([";;;", f" {installed.product_code}", installed.product_code.lower(),
                              installed.product_code + "X" * 2000, f";{installed.product_code}",
                              f"{code(5)};;{installed.product_code}"]):
        run = prefix.run(wrapper_for(prefix, tmp_path, name=f"m{n}", targets_text=text), ["/q"])
        assert run.exit_code == 1642, text
        assert run.boxes == [] and run.called("MsiConfigureProductExW") == [], text
    assert products.query(prefix, "info", installed.product_code, "VersionString") == demo.OLD_VERSION
    assert package_files(prefix.temp_dir) == []


# --- Hostile product names ---

@pytest.fixture(scope="module")
def product_dir(tmp_path_factory):
    return tmp_path_factory.mktemp("products")


def test_hostile_product_names_keep_their_logs_in_the_temporary_directory(prefix, tmp_path, product_dir):
    names = {code(11): "N" * 1023, code(12): r'..\..\..\windows\evil: "x" <y>|?*/z'}
    for product_code, name in names.items():
        products.install_product(prefix, products.build_product(product_dir, product_code, name, "12.2.0.3", UPGRADE))
    wrapper = wrapper_for(prefix, tmp_path, targets=[(c, UPGRADE, "12.2.0.3") for c in names])
    before = set(prefix.path.rglob("*"))
    run = prefix.run(wrapper)
    assert run.exit_code == 0
    for product_code in names:
        assert products.query(prefix, "info", product_code, "VersionString") == "12.2.0.4"
    # The installers' logs, not the wrapper's own run log beside them.
    logs = sorted(p for p in set(prefix.path.rglob("*")) - before if p.suffix == ".log" and p.name != f"{wrapper.name}.log")
    assert [p.parent for p in logs] == [prefix.temp_dir] * 2
    assert sorted(p.name for p in logs) == sorted([
        r".._.._.._windows_evil_ _x_ _y_____z.log",
        "N" * (259 - len("C:\\users\\%s\\Temp\\" % prefix.temp_dir.parent.name) - 4) + ".log"])
    assert not any("evil" in p.name for p in set(prefix.path.rglob("*")) - before - set(logs))
    assert (prefix.temp_dir / f"{wrapper.name}.log").is_file()
