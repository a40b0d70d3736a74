"""svcpack-make.exe under Wine: it makes a wrapper from the stub and a patch, with the version
taken from the patch, a VERSIONINFO and icon that Windows reads back, a right checksum and a
detection rule beside it; the same inputs give the same bytes; it refuses patches whose
version it cannot trust unless /version is given; and every bad input is one line on stderr,
its own exit code, and no output file. Several packages make one wrapper for a vendor's set,
each under its file name; a wrapper of one patch stays what it was. The maker changes no
installer state, so all cases share one prefix."""
import json
import os
import pathlib
import re
import resource
import shutil
import signal
import struct
import subprocess
import zlib

import pytest

import harness
import pe
import products
from test_faults import with_a_small_stream_cut_short

MAKER = harness.MAKER
DEMO_TARGETS = [f"{{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A0{i}}}" for i in range(1, 5)]
DEMO_PATCH_CODE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}"
UPGRADE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3000}"
PRODUCT_A = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3001}"
PRODUCT_B = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3002}"
PATCH = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3101}"
MADE, USAGE, UNREADABLE, NOT_A_PATCH, VERSION_NEEDED, NOT_WRITTEN, TOO_LARGE, NOT_AN_ICON, NOT_ONE_SET = \
    0, 2, 3, 4, 5, 6, 7, 8, 9
RT_ICON, RT_GROUP_ICON = 3, 14


@pytest.fixture(scope="module")
def prefix(shared_prefix):
    """The maker changes no installer state: every case runs in the module's one prefix."""
    return shared_prefix


@pytest.fixture(scope="module")
def tools(tmp_path_factory):
    """The maker with a stub beside it, copied so that a faulty refusal cannot harm the build."""
    folder = tmp_path_factory.mktemp("tools")
    shutil.copy(MAKER, folder)
    shutil.copy(harness.STUB, folder)
    return folder


def make(prefix, tools, *args, preexec_fn=None, env=None):
    proc = subprocess.run([harness.LOADER, str(tools / MAKER.name), *map(str, args)], env=dict(prefix.env, **(env or {})),
                          capture_output=True, timeout=120, preexec_fn=preexec_fn, cwd=tools)
    return proc.returncode, proc.stdout.decode("utf-8"), proc.stderr.decode("utf-8")


def not_removable_warning(found="no AllowRemoval of 1", package=None):
    """The maker's warning for a patch whose MsiPatchMetadata has `found` instead of AllowRemoval 1;
    the demo patch has no MsiPatchMetadata at all. In a set the warning names the package."""
    named = f"{harness.windows_path(package)}: " if package else ""
    return (f"svcpack-make: warning: {named}the patch does not allow its removal (its MsiPatchMetadata has {found}); "
            "the wrapper's /uninstall will refuse it\n")


def version_info(prefix, path, name):
    return products.query(prefix, "versioninfo", harness.windows_path(path), name)


def test_the_demo_patch_makes_a_wrapper_that_carries_it_and_says_what_it_is(prefix, tools, tmp_path):
    out = tmp_path / "Hotfix 12.2.0.4.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(harness.DEMO_PACKAGE), harness.windows_path(out))
    assert (code, stderr) == (MADE, not_removable_warning())
    rule_file = tmp_path / f"{out.name}.detection.json"
    assert stdout.splitlines()[:8] == ["Target products: 4", *(f"  {c}" for c in DEMO_TARGETS),
                                       f"Patch code: {DEMO_PATCH_CODE}",
                                       "Up-to-date version: 12.2.0.4 (from the patch)",
                                       f"Wrote {harness.windows_path(out)} ({out.stat().st_size} bytes)"]
    assert f"Detection rule (also in {harness.windows_path(rule_file)})" in stdout.splitlines()[8]
    # no temporary file left behind
    assert sorted(p.name for p in tmp_path.iterdir()) == [out.name, rule_file.name]
    rule = json.loads(rule_file.read_text(encoding="ascii"))
    assert (rule["patchCode"], rule["removable"], rule["upToDateVersion"]) == (DEMO_PATCH_CODE, False, "12.2.0.4")
    assert stdout.splitlines()[-1] == "Removable by the wrapper's /uninstall: no"
    assert [t["productCode"] for t in rule["targets"]] == DEMO_TARGETS
    for target in rule["targets"]:  # every key the words name, the rule holds, and the other way round
        assert f"    per machine: HKEY_LOCAL_MACHINE\\{target['perMachine']['key']}" in stdout.splitlines()
        assert f"    per user:    HKEY_LOCAL_MACHINE\\{target['perUser']['key']}" in stdout.splitlines()
        assert target["productVersionAtLeast"] == "12.2.0.4"
    image = pe.read(out)
    assert image.checksum == pe.checksum(out.read_bytes()) != 0
    resources = image.resources
    assert resources[("MSP", "IDR_MSP", 0)] == harness.DEMO_PACKAGE.read_bytes()
    assert resources[("MSPVERSION", "IDR_MSPVERSION", 0)] == "12.2.0.4".encode("utf-16-le")
    assert version_info(prefix, out, "fixed") == "12.2.0.4 12.2.0.4"
    assert [version_info(prefix, out, n) for n in ("FileVersion", "ProductVersion", "FileDescription",
                                                   "OriginalFilename")] == \
        ["12.2.0.4", "12.2.0.4", "Service pack", out.name]


@pytest.mark.parametrize("targets, patch_says", [
    ([(PRODUCT_A, UPGRADE, "12.2.0.3"), (PRODUCT_B, UPGRADE, "12.2.0.3", "12.2.0.5")], "12.2.0.4, 12.2.0.5"),
    ([(PRODUCT_A, UPGRADE, "12.2.0.4")], "12.2.0.4"),
], ids=["targets_disagree", "version_unchanged"])
def test_a_patch_without_a_version_to_trust_needs_version(prefix, tools, tmp_path, targets, patch_says):
    msp = products.build_patch(tmp_path / "p.msp", PATCH, targets, "12.2.0.4", metadata={"AllowRemoval": "1"},
                               prefix=prefix)
    out = tmp_path / "w.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out))
    assert code == VERSION_NEEDED and stdout == ""
    assert stderr.count("\n") == 1 and harness.windows_path(msp) in stderr and "/version" in stderr
    assert not out.exists()

    code, stdout, stderr = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out), "-Version", "12.3")
    assert code == MADE, stderr
    assert stderr == f"svcpack-make: warning: the patch upgrades its targets to {patch_says}; using /version 12.3\n"
    assert "Up-to-date version: 12.3 (from /version)" in stdout
    assert pe.read(out).resources[("MSPVERSION", "IDR_MSPVERSION", 0)] == "12.3".encode("utf-16-le")
    assert version_info(prefix, out, "fixed") == "12.3.0.0 12.3.0.0"


def test_the_patch_display_name_describes_the_wrapper(prefix, tools, tmp_path):
    name = "Korvanta Büro Hotfix 4"
    msp = products.build_patch(tmp_path / "p.msp", PATCH, [(PRODUCT_A, UPGRADE, "12.2.0.3")], "12.2.0.4",
                               display_name=name, metadata={"AllowRemoval": "1"}, prefix=prefix)
    out = tmp_path / "w.exe"
    code, _, stderr = make(prefix, tools, "/VERSION", "12.2.0.4", harness.windows_path(msp), harness.windows_path(out))
    assert (code, stderr) == (MADE, "")  # the given version is the patch's own: no warning
    assert version_info(prefix, out, "FileDescription") == name


@pytest.mark.parametrize("metadata, found", [
    ({"AllowRemoval": "1"}, None),
    ({}, "no AllowRemoval of 1"),
    ({"Description": "Fixes printing on A5"}, "no AllowRemoval of 1"),
    ({"AllowRemoval": "0"}, 'AllowRemoval "0", not 1'),
], ids=["allowed", "no_table", "no_row", "zero"])
def test_a_patch_that_does_not_allow_its_removal_still_makes_a_wrapper_with_a_warning(prefix, tools, tmp_path,
                                                                                       metadata, found):
    msp = products.build_patch(tmp_path / "p.msp", PATCH, [(PRODUCT_A, UPGRADE, "12.2.0.3")], metadata=metadata,
                               prefix=prefix)
    out = tmp_path / "w.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out))
    removable = found is None
    assert code == MADE
    assert stderr == ("" if removable else not_removable_warning(found))
    assert pe.read(out).resources[("MSP", "IDR_MSP", 0)] == msp.read_bytes()
    rule = json.loads((tmp_path / "w.exe.detection.json").read_text(encoding="ascii"))
    assert list(rule)[:2] == ["patchCode", "removable"] and rule["removable"] is removable
    assert stdout.splitlines()[-1] == f"Removable by the wrapper's /uninstall: {'yes' if removable else 'no'}"


def bitmap_image(size, colour):
    """One icon image: a 32-bit BITMAPINFOHEADER (height doubled for the mask), pixels, mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + struct.pack("<I", colour) * size * size + b"\0" * (4 * size * ((size + 31) // 32))


def png_image(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\x20\x80\xff\xff" * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def icon_file(path, images):
    """A .ico file of (size, image bytes)."""
    offset = 6 + 16 * len(images)
    directory, data = struct.pack("<HHH", 0, 1, len(images)), b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    path.write_bytes(directory + data)
    return path


def test_the_patch_metadata_and_the_options_give_the_wrapper_its_identity_and_icon(prefix, tools, tmp_path):
    metadata = {"ManufacturerName": "Korvanta Software", "TargetProductName": "Korvanta Büro",
                "Description": "Fixes printing on A5", "AllowRemoval": "1"}
    msp = products.build_patch(tmp_path / "p.msp", PATCH, [(PRODUCT_A, UPGRADE, "12.2.0.3")], "12.2.0.4",
                               display_name="Korvanta Büro Hotfix 4", metadata=metadata, prefix=prefix)
    small, large = bitmap_image(16, 0xFF2080FF), png_image(256)
    icon = icon_file(tmp_path / "own.ico", [(16, small), (256, large)])
    out = tmp_path / "w.exe"
    code, _, stderr = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out),
                           "/copyright", "© 2026 Korvanta Software", "/icon", harness.windows_path(icon))
    assert (code, stderr) == (MADE, "")
    assert {n: version_info(prefix, out, n) for n in ("CompanyName", "ProductName", "FileDescription", "Comments",
                                                      "LegalCopyright")} == {
        "CompanyName": "Korvanta Software", "ProductName": "Korvanta Büro", "FileDescription": "Korvanta Büro Hotfix 4",
        "Comments": "Fixes printing on A5", "LegalCopyright": "© 2026 Korvanta Software"}
    # Windows picks each image by its size from the group; the stub's other images are gone, and
    # every other resource of the stub is there as it was.
    assert products.query(prefix, "icon", harness.windows_path(out), 16) == f"1 {len(small)} 16"
    assert products.query(prefix, "icon", harness.windows_path(out), 256) == f"2 {len(large)} 256"
    resources = pe.read(out).resources
    assert {k[1]: v for k, v in resources.items() if k[0] == RT_ICON} == {1: small, 2: large}
    [((_, name, _), group)] = [(k, v) for k, v in resources.items() if k[0] == RT_GROUP_ICON]
    count, = struct.unpack_from("<H", group, 4)
    assert (name, [struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)]) == ("IDR_MAINFRAME", [1, 2])
    stub = pe.read(tools / harness.STUB.name).resources
    kept = {k: v for k, v in stub.items() if k[0] not in (RT_ICON, RT_GROUP_ICON, 16)}
    assert kept and {k: resources[k] for k in kept} == kept
    assert pe.read(out).checksum == pe.checksum(out.read_bytes())

    code, _, _ = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out), "/company", "Other AG")
    assert code == MADE and version_info(prefix, out, "CompanyName") == "Other AG"
    with pytest.raises(products.QueryError):
        version_info(prefix, out, "LegalCopyright")  # only what was given or in the patch
    assert pe.read(out).resources[(RT_GROUP_ICON, "IDR_MAINFRAME", 0)] == \
        pe.read(tools / harness.STUB.name).resources[(RT_GROUP_ICON, "IDR_MAINFRAME", 0)]


def test_the_same_inputs_make_the_same_bytes(prefix, tools, tmp_path):
    made = []
    for folder in ("first", "second"):
        (tmp_path / folder).mkdir()
        out = tmp_path / folder / "Hotfix.exe"
        code, _, _ = make(prefix, tools, harness.windows_path(harness.DEMO_PACKAGE), harness.windows_path(out),
                          "/company", "Korvanta")
        assert code == MADE
        made.append((out.read_bytes(), out.with_name("Hotfix.exe.detection.json").read_bytes()))
    assert made[0] == made[1]


def test_two_builds_of_the_programs_give_the_same_bytes(tmp_path):
    """The stub and the maker rebuilt from these sources in a second build folder, with the same
    toolchain and settings as the programs under test."""
    cache = (harness.STUB.parent / "CMakeCache.txt").read_text()
    settings = {key: re.search(rf"^{key}:\w+=(.*)$", cache, re.M).group(1)
                for key in ("SVCPACK_MINGW_ARCH", "CMAKE_BUILD_TYPE", "CMAKE_TOOLCHAIN_FILE", "CMAKE_HOME_DIRECTORY")}
    rebuild = tmp_path / "rebuild"
    subprocess.run(["cmake", "-S", settings["CMAKE_HOME_DIRECTORY"], "-B", rebuild,
                    f"-DCMAKE_TOOLCHAIN_FILE={settings['CMAKE_TOOLCHAIN_FILE']}",
                    f"-DSVCPACK_MINGW_ARCH={settings['SVCPACK_MINGW_ARCH']}",
                    f"-DCMAKE_BUILD_TYPE={settings['CMAKE_BUILD_TYPE']}"], check=True, capture_output=True)
    subprocess.run(["cmake", "--build", rebuild, "-j2", "--target", harness.STUB.stem, harness.MAKER.stem],
                   check=True, capture_output=True)
    for program in (harness.STUB, harness.MAKER):
        rebuilt = (rebuild / program.name).read_bytes()
        assert struct.unpack_from("<I", rebuilt, struct.unpack_from("<I", rebuilt, 0x3C)[0] + 8) == (0,)  # no time
        assert rebuilt == program.read_bytes(), program.name


@pytest.fixture(scope="module")
def bad_inputs(tmp_path_factory, prefix, tools):
    folder = tmp_path_factory.mktemp("bad")
    products.build_product(folder, PRODUCT_A, "Korvanta Prüfer", "12.2.0.3", UPGRADE)
    (folder / "product.msi").write_bytes(next(folder.glob("*.msi")).read_bytes())
    (folder / "truncated.msp").write_bytes(harness.DEMO_PACKAGE.read_bytes()[:4096])
    (folder / "cut short.msp").write_bytes(with_a_small_stream_cut_short(harness.DEMO_PACKAGE.read_bytes()))
    (folder / "notes.txt").write_text("This is not a patch package.\r\n")
    (folder / "a folder").mkdir()
    # The stub and a package under other names: hard links, and a folder that is a link.
    os.link(tools / harness.STUB.name, folder / "stub link.exe")
    shutil.copy(harness.DEMO_PACKAGE, folder / "patch.msp")
    os.link(folder / "patch.msp", folder / "patch link.exe")
    (folder / "alias").symlink_to(folder)
    demo = harness.windows_path(harness.DEMO_PACKAGE)
    patch = harness.windows_path(folder / "patch.msp")
    out = folder / "out.exe"
    return folder, {
        "missing_file": ([harness.windows_path(folder / "missing.msp"), harness.windows_path(out)], UNREADABLE,
                         "missing.msp", out),
        "product_database": ([harness.windows_path(folder / "product.msi"), harness.windows_path(out)], NOT_A_PATCH,
                             ".msi", out),
        "truncated_package": ([harness.windows_path(folder / "truncated.msp"), harness.windows_path(out)],
                              NOT_A_PATCH, "truncated.msp", out),
        "small_stream_cut_short": ([harness.windows_path(folder / "cut short.msp"), harness.windows_path(out)],
                                   NOT_A_PATCH, "cut short.msp", out),
        "text_file": ([harness.windows_path(folder / "notes.txt"), harness.windows_path(out)], NOT_A_PATCH,
                      "notes.txt", out),
        "output_in_missing_folder": ([demo, harness.windows_path(folder / "nowhere" / "out.exe")], NOT_WRITTEN,
                                     "nowhere", folder / "nowhere" / "out.exe"),
        "output_is_the_stub": ([demo, harness.windows_path(tools / "SVCPACK.EXE")], USAGE, "stub",
                               None),
        # Fails only when the finished copy is moved into place: the copy must go too.
        "output_is_a_folder": ([demo, harness.windows_path(folder / "a folder")], NOT_WRITTEN, "a folder", None),
        "stub_is_no_program": ([demo, harness.windows_path(out), "/stub", harness.windows_path(folder / "notes.txt")],
                               UNREADABLE, "notes.txt", out),
        "output_is_a_hard_link_to_the_stub": ([demo, harness.windows_path(folder / "stub link.exe")], USAGE, "stub",
                                              None),
        "output_is_a_hard_link_to_the_package": ([patch, harness.windows_path(folder / "patch link.exe")], USAGE,
                                                 "package", None),
        "output_is_the_package_spelled_otherwise": ([patch, harness.windows_path(folder) + r"\a folder\..\PATCH.MSP"],
                                                    USAGE, "package", None),
        "output_is_the_package_through_a_linked_folder": ([patch, harness.windows_path(folder) + r"\alias\patch.msp"],
                                                          USAGE, "package", None),
        "icon_without_a_file": ([demo, harness.windows_path(out), "/icon"], USAGE, "/icon", out),
        "company_left_out": ([demo, harness.windows_path(out), "/company", "/copyright", "K"], USAGE, "/company", out),
        "missing_icon": ([demo, harness.windows_path(out), "/icon", harness.windows_path(folder / "none.ico")],
                         UNREADABLE, "none.ico", out),
        "icon_is_no_icon": ([demo, harness.windows_path(out), "/icon", harness.windows_path(folder / "notes.txt")],
                            NOT_AN_ICON, "notes.txt", out),
        "company_with_a_tab": ([demo, harness.windows_path(out), "/company", "Korvanta\tGmbH"], USAGE, "/company", out),
        "copyright_with_delete": ([demo, harness.windows_path(out), "/copyright", "Korvanta\x7f"], USAGE, "/copyright",
                                  out),
    }


def contents(folder):
    """Each name in `folder` with its bytes (None for a folder); not recursive, as one entry links
    back to the folder itself."""
    return {p.name: p.read_bytes() if p.is_file() else None for p in folder.iterdir()}


@pytest.mark.parametrize("case", ["missing_file", "product_database", "truncated_package", "small_stream_cut_short",
                                  "text_file",
                                  "output_in_missing_folder", "output_is_the_stub", "output_is_a_folder",
                                  "stub_is_no_program", "output_is_a_hard_link_to_the_stub",
                                  "output_is_a_hard_link_to_the_package", "output_is_the_package_spelled_otherwise",
                                  "output_is_the_package_through_a_linked_folder",
                                  "icon_without_a_file", "company_left_out", "missing_icon",
                                  "icon_is_no_icon", "company_with_a_tab", "copyright_with_delete"])
def test_bad_input_is_one_line_an_exit_code_and_no_output(prefix, tools, bad_inputs, case):
    folder, cases = bad_inputs
    args, expected_code, named, out = cases[case]
    before = contents(folder)
    stub = (tools / harness.STUB.name).read_bytes()
    code, stdout, stderr = make(prefix, tools, *args)
    assert code == expected_code
    assert stdout == "" and stderr.startswith("svcpack-make: ") and stderr.count("\n") == 1
    assert named in stderr
    assert contents(folder) == before
    assert out is None or not out.exists()
    assert (tools / harness.STUB.name).read_bytes() == stub


@pytest.mark.skipif(harness.ARCH != "i686", reason="only a 32-bit maker runs out of address space")
def test_a_package_the_32_bit_maker_cannot_hold_is_sent_to_the_x64_maker(prefix, tools, tmp_path):
    # Wine's resource writer fails for 1 GiB in a 32-bit process without setting an error,
    # which once made the maker write the bare stub and report a wrapper made.
    msp = products.build_patch(tmp_path / "large.msp", PATCH, [(PRODUCT_A, UPGRADE, "12.2.0.3")],
                               filler_bytes=1 << 30, prefix=prefix)
    out = tmp_path / "large.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(msp), harness.windows_path(out))
    assert (code, stdout) == (TOO_LARGE, "")
    assert stderr == (f"svcpack-make: {harness.windows_path(msp)}: is too large for the 32-bit maker; "
                      "x64\\svcpack-make.exe makes its wrapper on 64-bit Windows\n")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["large.msp"]


def test_a_failed_resource_update_leaves_no_file(prefix, tools, tmp_path):
    """The copy of the stub fits under the file-size limit, the stub with the package does not:
    writing the resources fails (under Wine without an error code), and neither the output nor the
    temporary copy stays."""
    limit = (tools / harness.STUB.name).stat().st_size + 1024

    def limited():
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

    out = tmp_path / "w.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(harness.DEMO_PACKAGE), harness.windows_path(out),
                                preexec_fn=limited)
    assert stdout == "" and stderr.startswith("svcpack-make: ") and stderr.count("\n") == 1
    # A full disk is no package too large for the 32-bit maker, whichever build meets it.
    assert code == NOT_WRITTEN and "writing the resources failed (no reason given)" in stderr
    assert list(tmp_path.iterdir()) == []


ONE_PATCH = json.loads((pathlib.Path(__file__).with_name("expected") / "demo_wrapper_of_one_patch.json").read_text())


def test_a_wrapper_of_one_patch_is_what_the_maker_made_before_it_took_sets(prefix, tools, tmp_path):
    """What the maker wrote and said for the demo patch before it took sets (expected/): the same
    resources beside the stub's, the same detection file, the same lines."""
    out = tmp_path / "Hotfix.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(harness.DEMO_PACKAGE), harness.windows_path(out),
                                *ONE_PATCH["arguments"])
    assert (code, stderr) == (ONE_PATCH["exit_code"], ONE_PATCH["stderr"])
    size = out.stat().st_size
    assert stdout.replace(harness.windows_path(out), "<wrapper>").replace(f"({size} bytes)", "(<size> bytes)") == \
        ONE_PATCH["stdout"]
    stub = pe.read(tools / harness.STUB.name).resources
    own = {k: v for k, v in pe.read(out).resources.items() if stub.get(k) != v}
    assert own.pop(("MSP", "IDR_MSP", 0)) == harness.DEMO_PACKAGE.read_bytes()
    assert {f"{k[0]}/{k[1]}": v.hex() for k, v in own.items()} == ONE_PATCH["resources"]
    assert (tmp_path / "Hotfix.exe.detection.json").read_text(encoding="ascii") == ONE_PATCH["detection"]


BASE_PATCH = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3111}"
LANGUAGE_PATCH = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3112}"
PRODUCT_C = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3003}"


def read_set_resource(data):
    """The set resource read apart from the wrapper's code: file names, an empty line, then
    "<product code> <version>" lines, UTF-16LE."""
    names, versions = data.decode("utf-16-le").split("\n\n")
    return names.split("\n"), [tuple(line.split(" ", 1)) for line in versions.splitlines()]


@pytest.fixture(scope="module")
def vendor_set(tmp_path_factory, prefix):
    """A base patch of two editions, and a language pack that raises one of them further and
    patches a product of its own; the language pack lies in another folder and is not removable."""
    folder = tmp_path_factory.mktemp("set")
    base = products.build_patch(folder / "Buero SP1.msp", BASE_PATCH,
                                [(PRODUCT_A, UPGRADE, "12.2.0.3"), (PRODUCT_B, UPGRADE, "12.2.0.3")], "12.2.0.4",
                                display_name="Büro SP1", metadata={"AllowRemoval": "1", "ManufacturerName": "Korvanta"},
                                prefix=prefix)
    language = products.build_patch(folder / "de" / "Buero SP1 (de).msp", LANGUAGE_PATCH,
                                    [(PRODUCT_B, UPGRADE, "12.2.0.4", "12.2.0.10"), (PRODUCT_C, UPGRADE, "1.0", "1.1")],
                                    display_name="Büro SP1 Deutsch", metadata={"ManufacturerName": "Korvanta"},
                                    prefix=prefix)
    return base, language


def test_a_set_of_two_patches_makes_one_wrapper_with_each_package_under_its_name(prefix, vendor_set, tmp_path):
    base, language = vendor_set
    out = tmp_path / "Buero SP1.exe"
    made = harness.make_set_wrapper(prefix, [base, language], out)
    assert made.stderr == not_removable_warning(package=language)
    assert sorted(p.name for p in tmp_path.iterdir()) == [out.name, f"{out.name}.detection.json"]
    resources = pe.read(out).resources
    assert (resources[("MSP", "IDR_MSP1", 0)], resources[("MSP", "IDR_MSP2", 0)]) == (base.read_bytes(), language.read_bytes())
    assert not {("MSP", "IDR_MSP", 0), ("MSPVERSION", "IDR_MSPVERSION", 0), ("MSP", "IDR_MSP3", 0)} & resources.keys()
    # Each product at the highest version its patches bring it to: 12.2.0.10 is above 12.2.0.4.
    assert read_set_resource(resources[("MSPSET", "IDR_MSPSET", 0)]) == (
        ["Buero SP1.msp", "Buero SP1 (de).msp"],
        [(PRODUCT_A, "12.2.0.4"), (PRODUCT_B, "12.2.0.10"), (PRODUCT_C, "1.1")])
    assert [version_info(prefix, out, n) for n in ("FileDescription", "CompanyName", "fixed")] == \
        ["Büro SP1; Büro SP1 Deutsch", "Korvanta", "12.2.0.10 12.2.0.10"]
    rule = json.loads((tmp_path / f"{out.name}.detection.json").read_text(encoding="ascii"))
    assert [(p["fileName"], p["patchCode"], p["removable"]) for p in rule["patches"]] == \
        [("Buero SP1.msp", BASE_PATCH, True), ("Buero SP1 (de).msp", LANGUAGE_PATCH, False)]
    assert [(t["productCode"], [p["patchCode"] for p in t["patches"]], t["productVersionAtLeast"]) for t in rule["targets"]] == \
        [(PRODUCT_A, [BASE_PATCH], "12.2.0.4"), (PRODUCT_B, [BASE_PATCH, LANGUAGE_PATCH], "12.2.0.10"),
         (PRODUCT_C, [LANGUAGE_PATCH], "1.1")]
    lines = made.stdout.splitlines()
    for target in rule["targets"]:  # every key the file holds, the words name
        for patch in target["patches"]:
            assert f"      per machine: HKEY_LOCAL_MACHINE\\{patch['perMachine']['key']}" in lines
    assert lines[:3] == ["Patches: 2", f"  Buero SP1.msp: {BASE_PATCH}", f"  Buero SP1 (de).msp: {LANGUAGE_PATCH}"]
    assert lines[-1] == "Removable by the wrapper's /uninstall: Buero SP1.msp yes; Buero SP1 (de).msp no"


@pytest.fixture(scope="module")
def bad_sets(tmp_path_factory, prefix, vendor_set):
    base, language = vendor_set
    folder = tmp_path_factory.mktemp("bad_sets")
    (folder / "notes.txt").write_text("This is not a patch package.\r\n")
    shutil.copy(base, folder / "copy of base.msp")
    (folder / "other").mkdir()
    shutil.copy(language, folder / "other" / "BUERO sp1.MSP")
    products.build_patch(folder / "unchanged.msp", "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C3113}",
                         [(PRODUCT_C, UPGRADE, "1.0", "1.0")], prefix=prefix)
    return folder, {
        "a_text_file": (["notes.txt"], NOT_A_PATCH, ["notes.txt"]),
        "one_patch_twice": (["copy of base.msp"], NOT_ONE_SET, ["copy of base.msp", "patch code"]),
        "one_file_name_twice": (["other/BUERO sp1.MSP"], NOT_ONE_SET, ["BUERO sp1.MSP", "file name"]),
        "a_product_without_a_version": (["unchanged.msp"], VERSION_NEEDED, [PRODUCT_C, "unchanged.msp", "/version"]),
    }


@pytest.mark.parametrize("case", ["a_text_file", "one_patch_twice", "one_file_name_twice", "a_product_without_a_version"])
def test_a_set_with_a_bad_package_is_one_line_naming_it_and_no_output(prefix, tools, vendor_set, bad_sets, tmp_path, case):
    folder, cases = bad_sets
    names, expected_code, named = cases[case]
    before = contents(folder)
    out = tmp_path / "w.exe"
    code, stdout, stderr = make(prefix, tools, harness.windows_path(vendor_set[0]),
                                *(harness.windows_path(folder / n) for n in names), harness.windows_path(out))
    assert (code, stdout) == (expected_code, "")
    assert stderr.startswith("svcpack-make: ") and stderr.count("\n") == 1
    assert all(n in stderr for n in named), stderr
    assert contents(folder) == before and list(tmp_path.iterdir()) == []
