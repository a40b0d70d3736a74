"""'/i': the package's target product codes exactly as stored, shown also under '/q'."""
import pytest

import demo_products
import harness
import products
from harness import WRAPPER

PATCH = "{0B8C1D2E-3F40-4A5B-8C6D-7E8F9A0B1C01}"
OBSOLETE = "{0B8C1D2E-3F40-4A5B-8C6D-7E8F9A0B1C00}"
UPGRADE = "{0B8C1D2E-3F40-4A5B-8C6D-7E8F9A0B1D00}"


@pytest.fixture(scope="module")
def prefix(shared_prefix):
    """Listing installs nothing: every case runs in the module's one prefix."""
    return shared_prefix


def code(n):
    return "{0B8C1D2E-3F40-4A5B-8C6D-%012X}" % n


def wrapper_for(prefix, tmp_path, **package):
    package.setdefault("targets", [(code(1), UPGRADE, "12.2.0.3")])
    msp = products.build_patch(tmp_path / "p.msp", PATCH, prefix=prefix, **package)
    return harness.rewrap(prefix, msp, tmp_path / "wrapper.exe")


def list_box(run):
    [(text, caption, style)] = run.boxes
    assert (caption, style) == ("List of Products", 0x50000)
    return text


def test_shows_the_target_text_as_stored_with_or_without_a_trailing_separator(prefix, tmp_path):
    for text in (f"{code(1)};{code(2)}", f"{code(1)};{code(2)};"):
        wrapper = wrapper_for(prefix, tmp_path, targets_text=text)
        run = prefix.run(wrapper, ["/i"])
        assert list_box(run) == text
        assert run.exit_code == 0


def test_the_demo_wrapper_lists_its_four_products(prefix):
    run = prefix.run(WRAPPER, ["/i"])
    assert list_box(run).split(";") == [code for code, _, _ in demo_products.patch_targets()]


def test_quiet_still_shows_the_list_and_the_package_stays(prefix):
    run = prefix.run(WRAPPER, ["/q", "/i"])
    assert list_box(run)
    [left] = run.new_files
    assert left.name.startswith("MSP") and left.parent == prefix.temp_dir
    assert run.called("MsiSummaryInfoGetPropertyW")[0].args[1] == 7


def test_a_target_text_longer_than_the_buffer_is_read_whole_in_two_reads(prefix, tmp_path):
    text = ";".join(code(n) for n in range(1, 60))  # 59 codes: 2300 characters
    wrapper = wrapper_for(prefix, tmp_path, targets_text=text)
    run = prefix.run(wrapper, ["/i"])
    reads = run.called("MsiSummaryInfoGetPropertyW")
    assert [(r.args[1], r.result) for r in reads] == [(7, 234), (7, 0)]
    assert harness.same_text(list_box(run), text)
    opened = [c for c in run.called("MsiGetSummaryInformationW") if c.result == 0]
    assert len(run.called("MsiCloseHandle")) == len(opened) == 1


def test_a_patch_code_of_2048_characters_fails_where_targets_of_that_length_are_read(prefix, tmp_path):
    long_text = ((code(1) + ";") * 60)[:2048]
    wrapper = wrapper_for(prefix, tmp_path, targets_text=long_text, revision_text=(PATCH * 60)[:2048])
    listed = prefix.run(wrapper, ["/i"])
    assert harness.same_text(list_box(listed), long_text)
    installed = prefix.run(wrapper, ["/q"])
    assert installed.exit_code == 1603
    [read] = installed.called("MsiSummaryInfoGetPropertyW")
    assert (read.args[1], read.result) == (9, 234)
    assert installed.called("MsiConfigureProductExW") == []


def test_a_package_that_cannot_be_read_shows_an_empty_list(prefix, tmp_path):
    for package in ({"not_a_package": True}, {"omit_property": 7}):
        wrapper = wrapper_for(prefix, tmp_path, **package)
        run = prefix.run(wrapper, ["/i"])
        assert list_box(run) == ""
        if package.get("not_a_package"):
            assert run.exit_code == 1603
