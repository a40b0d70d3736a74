"""A DLL planted beside the wrapper, as in a download folder, is never loaded: the wrapper takes
msi.dll (and every other system DLL) from the system directory only."""
import shutil

import harness
import pe
from harness import WRAPPER, windows_path
from test_maker import make, not_removable_warning

PLANTED = harness.PROBES / "planted.dll"
NAIVE = harness.PROBES / "naive_loader.exe"
FALLBACK_PROBE = harness.PROBES / "dll_search_probe.exe"
# What Windows 7 lacks without its DLL-search update (KB2533623); an import of any of them
# keeps the wrapper from starting there at all.
SEARCH_UPDATE_FUNCTIONS = {"SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory"}
NAMES = ("msi", "version", "cabinet", "msvcp_win", "userenv", "profapi", "cryptbase")
# Loaded by bare name, after start-up, by system DLLs the wrapper uses (user32 loads both under
# Wine): only the process-wide search keeps them from the folder, whatever path the wrapper's
# own loads name.
LOADED_BY_SYSTEM_DLLS = ("imm32", "uxtheme")
PREFER_PLANTED = {"WINEDLLOVERRIDES": "mscoree,mshtml=;" + ";".join(f"{n}=n,b" for n in NAMES + LOADED_BY_SYSTEM_DLLS)}


def downloads(tmp_path, program, names=NAMES):
    folder = tmp_path / "Downloads"
    folder.mkdir(parents=True, exist_ok=True)
    copy = shutil.copy(program, folder)
    for name in names:
        shutil.copy(PLANTED, folder / f"{name}.dll")
    return folder, copy


def loaded(folder):
    return sorted(p.name for p in folder.glob("*.loaded"))


def test_msi_is_not_in_the_import_table():
    for exe in (WRAPPER, harness.STUB):
        assert "msi.dll" not in {name.lower() for name in pe.read(exe).imports}


def test_nothing_imports_what_windows_7_lacks_without_its_update():
    for exe in (WRAPPER, harness.STUB, harness.MAKER):
        imported = {name for names in pe.read(exe).functions.values() for name in names}
        assert "SetDllDirectoryW" in imported, exe
        assert not imported & SEARCH_UPDATE_FUNCTIONS, exe


def test_a_plain_load_from_the_folder_would_take_the_planted_dll(prefix, tmp_path):
    folder, naive = downloads(tmp_path, NAIVE)
    prefix.run(naive, ["msi.dll"], cwd=folder, env=PREFER_PLANTED)
    assert loaded(folder) == ["msi.dll.loaded"]
    # A system DLL's own load by bare name takes it from the folder too: user32 loads imm32 as
    # it starts (uxtheme follows once a window is made).
    folder, naive = downloads(tmp_path / "second", NAIVE, LOADED_BY_SYSTEM_DLLS)
    prefix.run(naive, ["user32.dll"], cwd=folder, env=PREFER_PLANTED)
    assert loaded(folder) == ["imm32.dll.loaded"]


def test_the_wrapper_ignores_dlls_beside_it_and_still_works(prefix, tmp_path):
    folder, wrapper = downloads(tmp_path, WRAPPER, NAMES + LOADED_BY_SYSTEM_DLLS)
    listed = prefix.run(wrapper, ["/i"], cwd=folder, env=PREFER_PLANTED)
    installed = prefix.run(wrapper, ["/q"], cwd=folder, env=PREFER_PLANTED)
    assert loaded(folder) == []
    [(text, caption, _)] = listed.boxes
    assert caption == "List of Products" and text.count("{") == 4
    assert listed.exit_code == 0
    assert installed.exit_code == 1642
    assert installed.called("MsiQueryProductStateW")


def test_without_set_default_dll_directories_the_planted_dlls_stay_unloaded_too(prefix, tmp_path):
    """The search the wrapper falls back to where SetDefaultDllDirectories is missing, forced
    by the probe: the wrapper's own loads of msi.dll, shell32.dll and user32.dll by their
    system-directory path take nothing from the folder, and msi.dll answers."""
    folder, probe = downloads(tmp_path, FALLBACK_PROBE)
    run = prefix.run(probe, cwd=folder, env=PREFER_PLANTED)
    assert run.exit_code == 0
    assert loaded(folder) == []


def test_the_maker_ignores_dlls_beside_it_too(prefix, tmp_path):
    folder, _ = downloads(tmp_path, harness.MAKER, NAMES + LOADED_BY_SYSTEM_DLLS)
    shutil.copy(harness.STUB, folder)
    code, _, stderr = make(prefix, folder, windows_path(harness.DEMO_PACKAGE), windows_path(tmp_path / "w.exe"),
                           env=PREFER_PLANTED)
    assert loaded(folder) == []
    assert (code, stderr) == (0, not_removable_warning())
