"""A DLL planted beside the wrapper, as in a download folder, is never loaded: the wrapper takes
msi.dll (and every other system DLL) from the system directory only."""
import shutil

import harness
import pe
from harness import WRAPPER

PLANTED = harness.BUILD / "tests" / "wine" / "planted.dll"
NAIVE = harness.BUILD / "tests" / "wine" / "naive_loader.exe"
NAMES = ("msi", "version", "cabinet", "msvcp_win", "userenv", "profapi", "cryptbase")
PREFER_PLANTED = {"WINEDLLOVERRIDES": "mscoree,mshtml=;" + ";".join(f"{n}=n,b" for n in NAMES)}


def downloads(tmp_path, program):
    folder = tmp_path / "Downloads"
    folder.mkdir(exist_ok=True)
    copy = shutil.copy(program, folder)
    for name in NAMES:
        shutil.copy(PLANTED, folder / f"{name}.dll")
    return folder, copy


def loaded(folder):
    return sorted(p.name for p in folder.glob("*.loaded"))


def test_msi_is_not_in_the_import_table():
    for exe in (WRAPPER, harness.BUILD.parent / "win32" / "svcpack.exe"):
        assert "msi.dll" not in {name.lower() for name in pe.read(exe).imports}


def test_a_plain_load_from_the_folder_would_take_the_planted_dll(prefix, tmp_path):
    folder, naive = downloads(tmp_path, NAIVE)
    prefix.run(naive, ["msi.dll"], cwd=folder, env=PREFER_PLANTED)
    assert loaded(folder) == ["msi.dll.loaded"]


def test_the_wrapper_ignores_dlls_beside_it_and_still_works(prefix, tmp_path):
    folder, wrapper = downloads(tmp_path, WRAPPER)
    listed = prefix.run(wrapper, ["/i"], cwd=folder, env=PREFER_PLANTED)
    installed = prefix.run(wrapper, ["/q"], cwd=folder, env=PREFER_PLANTED)
    assert loaded(folder) == []
    [(text, caption, _)] = listed.boxes
    assert caption == "List of Products" and text.count("{") == 4
    assert listed.exit_code == 0
    assert installed.exit_code == 1642
    assert installed.called("MsiQueryProductStateW")
