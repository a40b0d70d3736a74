"""'/e': the embedded package written byte for byte, and a script told when it was not."""
import concurrent.futures
import contextlib
import os
import subprocess
import time

import pytest

import file_opens
import harness
from harness import WRAPPER, windows_path


def package_files(directory):
    return sorted(p for p in directory.iterdir() if p.name.startswith("MSP"))


@contextlib.contextmanager
def immutable(path):
    """Makes `path` unwritable even for root, as a read-only file or folder is to a user."""
    subprocess.run(["chattr", "+i", str(path)], check=True)
    try:
        yield path
    finally:
        subprocess.run(["chattr", "-i", str(path)], check=True)


def test_writes_the_package_byte_for_byte(prefix, tmp_path, package_bytes):
    target = tmp_path / "out dir" / "patch copy.msp"
    target.parent.mkdir()
    run = prefix.run(WRAPPER, ["/e", windows_path(target)])
    assert run.exit_code == 0
    assert target.read_bytes() == package_bytes
    assert run.boxes == [] and run.calls == []


def test_an_existing_file_is_truncated_and_overwritten(prefix, tmp_path, package_bytes):
    target = tmp_path / "old.msp"
    target.write_bytes(b"x" * (len(package_bytes) + 5000))
    assert prefix.run(WRAPPER, ["/E", windows_path(target)]).exit_code == 0
    assert target.read_bytes() == package_bytes


def test_unwritable_targets_give_a_failure_and_write_nothing(prefix, tmp_path):
    locked_file = tmp_path / "locked.msp"
    locked_file.write_bytes(b"keep")
    locked_dir = tmp_path / "locked"
    locked_dir.mkdir()
    with immutable(locked_file), immutable(locked_dir):
        for target in (tmp_path, tmp_path / "missing" / "p.msp", locked_file, locked_dir / "p.msp"):
            before = sorted(tmp_path.rglob("*"))
            run = prefix.run(WRAPPER, ["/e", windows_path(target)])
            assert run.exit_code == 1603, target
            assert sorted(tmp_path.rglob("*")) == before, target
            assert run.boxes == [], target
        assert locked_file.read_bytes() == b"keep"
    assert package_files(prefix.temp_dir) == []


def test_a_relative_path_lands_in_the_current_directory(prefix, tmp_path, package_bytes):
    (tmp_path / "sub").mkdir()
    run = prefix.run(WRAPPER, ["/e", r"sub\rel.msp"], cwd=tmp_path)
    assert run.exit_code == 0
    assert (tmp_path / "sub" / "rel.msp").read_bytes() == package_bytes


def test_extract_alone_makes_a_new_temporary_file_each_time(prefix, package_bytes):
    first = prefix.run(WRAPPER, ["/e"])
    second = prefix.run(WRAPPER, ["/q", "/e"])
    assert first.exit_code == 0 and second.exit_code == 0
    files = package_files(prefix.temp_dir)
    assert len(files) == 2
    assert first.new_files == [files[0]] or first.new_files == [files[1]]
    assert len(second.new_files) == 1 and second.new_files != first.new_files
    for f in files:
        assert f.name[3:].isdigit() and f.suffix == ""
        assert f.read_bytes() == package_bytes


NAME_PLANTER = harness.PROBES / "name_planter.exe"
# The wrapper's temporary names count on from its process id times 7919 plus the tick count;
# planting for every tick of the next 20 s covers the 1000 names it tries, however long it
# takes to start.
PLANTING_WINDOW_MS, NAMES_TRIED = 20000, 1000


def plant_temporary_names(first, directory, target):
    """A file, a folder or a link to `target` under each name from `first` on."""
    planted = {}
    for i in range(PLANTING_WINDOW_MS + NAMES_TRIED):
        path = directory / f"MSP{((first + i) & 0xFFFFFFFF) % 1000000}"
        kind = ("file", "folder", "link")[i % 3]
        if kind == "file":
            path.write_bytes(b"planted")
        elif kind == "folder":
            path.mkdir()
        else:
            path.symlink_to(target)
        planted[path] = kind
    return planted


def test_files_folders_and_links_under_the_temporary_names_are_left_alone(prefix, tmp_path):
    """Every name the wrapper tries is taken, by a file, a folder or a link planted before it
    starts: it writes into none, takes none over, hands nothing to the installer and fails."""
    first, go, target = tmp_path / "first", tmp_path / "go", tmp_path / "target"
    target.write_bytes(b"target")
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        running = pool.submit(prefix.run, NAME_PLANTER, [windows_path(first), windows_path(go), windows_path(WRAPPER)])
        for _ in range(600):
            if first.exists() and first.read_text().endswith("\n"):
                break
            time.sleep(0.1)
        planted = plant_temporary_names(int(first.read_text()), prefix.temp_dir, target)
        go.touch()
        run = running.result()
    assert run.exit_code == 1603
    assert [tuple(c.args[2:4]) for c in run.called("MessageBoxW")] == [("Installation Error", 0x50010)]
    assert run.called("MsiGetSummaryInformationW") == []
    assert package_files(prefix.temp_dir) == sorted(planted)
    for path, kind in planted.items():
        if kind == "file":
            assert path.read_bytes() == b"planted", path
        elif kind == "folder":
            assert path.is_dir() and not path.is_symlink() and list(path.iterdir()) == [], path
        else:
            assert path.is_symlink() and path.readlink() == target, path
    assert target.read_bytes() == b"target"


def altered(package_bytes, decoy):
    """Changes the last byte of the written package as the wrapper opens it to check it."""
    def act(path, fd):
        if os.fstat(fd).st_size == len(package_bytes):
            os.pwrite(fd, bytes([package_bytes[-1] ^ 0xFF]), len(package_bytes) - 1)
    return act


def swapped_for_a_link(package_bytes, decoy):
    """Moves the new file away as the wrapper creates it and puts a link to `decoy`, a copy of
    the package, in its place."""
    def act(path, fd):
        if os.fstat(fd).st_size == 0:
            os.rename(path, path + "-moved")
            os.symlink(decoy, path)
    return act


@pytest.mark.parametrize("change", [altered, swapped_for_a_link])
def test_a_package_changed_between_the_write_and_the_check_is_never_handed_on(prefix, tmp_path, package_bytes,
                                                                             change):
    """What the wrapper holds and hands to the installer is the file it wrote, holding the
    package: the check after the write catches changed bytes, and a link in the file's place,
    which Wine follows where Windows would open the link itself, is not the file written."""
    decoy = tmp_path / "decoy.msp"
    decoy.write_bytes(package_bytes)
    with file_opens.on_open(prefix.temp_dir, change(package_bytes, decoy)):
        run = prefix.run(WRAPPER)
    assert run.exit_code == 1603
    [(text, caption, _)] = run.boxes
    assert caption == "Installation Error" and text.endswith("Error Code: 13")
    assert [c.name for c in run.calls] == ["MessageBoxW"]
    assert decoy.read_bytes() == package_bytes


def test_a_file_that_does_not_keep_what_was_written_is_a_failure(prefix):
    """The null device takes every byte and gives none back: only the comparison after the
    write can tell."""
    run = prefix.run(WRAPPER, ["/e", "NUL"])
    assert run.exit_code == 1603 and run.boxes == [] and run.calls == []


def test_extract_path_then_list_does_both_in_order(prefix, tmp_path, package_bytes):
    target = tmp_path / "both.msp"
    run = prefix.run(WRAPPER, ["/e", windows_path(target), "/i"])
    assert target.read_bytes() == package_bytes
    assert [b[1] for b in run.boxes] == ["List of Products"]
    assert len(run.new_files) == 1 and run.new_files[0].name.startswith("MSP")


def test_list_ends_the_option_scan(prefix, tmp_path):
    target = tmp_path / "never.msp"
    run = prefix.run(WRAPPER, ["/i", "/e", windows_path(target)])
    assert not target.exists()
    assert [b[1] for b in run.boxes] == ["List of Products"]

