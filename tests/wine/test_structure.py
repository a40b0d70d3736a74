"""The shipped programs read as PE images: the stub and the maker of the i686 build that ships
and of the x86_64 build the tests run, and a wrapper made from the stub."""
import os
import pathlib
import struct
import xml.etree.ElementTree as ET

import pytest

import harness
import pe

WIN32_BUILD = pathlib.Path(os.environ.get("SVCPACK_WIN32_BUILD", harness.BUILD.parent / "win32"))
BUILDS = {"win32": WIN32_BUILD, "win64": harness.BUILD}
PE32, PE32_PLUS = 0x10B, 0x20B
I386, AMD64 = 0x14C, 0x8664
GUI, CONSOLE = 2, 3
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msi.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
               "advapi32.dll"}
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
CARRIED = {"MSP", "MSPVERSION"}


def read(build, program):
    return pe.read(BUILDS[build] / program)


@pytest.mark.parametrize("build, magic, machine", [("win32", PE32, I386), ("win64", PE32_PLUS, AMD64)])
@pytest.mark.parametrize("program, subsystem", [("svcpack.exe", GUI), ("svcpack-make.exe", CONSOLE)])
def test_each_build_has_the_stub_and_the_maker(build, magic, machine, program, subsystem):
    image = read(build, program)
    assert (image.magic, image.machine, image.subsystem) == (magic, machine, subsystem)
    assert {name.lower() for name in image.imports} <= SYSTEM_DLLS


@pytest.mark.parametrize("build", BUILDS)
def test_the_stub_imports_nothing_a_download_folder_could_plant(build):
    # Everything else is loaded from the system directory once the wrapper runs, so nothing
    # beside it in a download folder is resolved as a dependency at start; and nothing that
    # older Windows lacks keeps it from starting (test_dll_planting checks which functions).
    image = read(build, "svcpack.exe")
    assert {name.lower() for name in image.imports} == {"kernel32.dll", "msvcrt.dll"}


@pytest.mark.parametrize("build", BUILDS)
def test_the_stub_carries_no_patch(build):
    assert not [key for key in read(build, "svcpack.exe").resources if key[0] in CARRIED]


def test_a_made_wrapper_carries_its_package_and_version_once(package_bytes):
    resources = pe.read(harness.WRAPPER).resources
    carried = {key[:2]: data for key, data in resources.items() if key[0] in CARRIED}
    assert set(carried) == {("MSP", "IDR_MSP"), ("MSPVERSION", "IDR_MSPVERSION")}
    assert carried["MSP", "IDR_MSP"] == package_bytes
    assert carried["MSPVERSION", "IDR_MSPVERSION"].decode("utf-16-le") == harness.DEMO_VERSION


@pytest.mark.parametrize("build", BUILDS)
def test_icon_group_has_nine_images(build):
    image = read(build, "svcpack.exe")
    [group] = [data for key, data in image.resources.items() if key[:2] == (RT_GROUP_ICON, "IDR_MAINFRAME")]
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    assert (reserved, kind, count) == (0, 1, 9)
    icon_ids = {struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)}
    stored = {key[1] for key in image.resources if key[0] == RT_ICON}
    assert icon_ids <= stored and len(icon_ids) == 9


ASM_V1, ASM_V3 = "urn:schemas-microsoft-com:asm.v1", "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
# The supportedOS ids of Windows 7, 8, 8.1 and 10 (which 11 shares), as the application
# manifest documentation lists them.
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def manifest(build, program):
    """The program's one manifest (resource 1, the one the loader reads), parsed."""
    [(key, data)] = [(key, data) for key, data in read(build, program).resources.items() if key[0] == RT_MANIFEST]
    assert key[1] == 1, key
    root = ET.fromstring(data)
    assert root.tag == f"{{{ASM_V1}}}assembly" and root.get("manifestVersion") == "1.0"
    return root


@pytest.mark.parametrize("build", BUILDS)
@pytest.mark.parametrize("program", ["svcpack.exe", "svcpack-make.exe"])
def test_both_programs_run_as_invoked_on_every_windows_they_name(build, program):
    root = manifest(build, program)
    [level] = root.findall(f"{{{ASM_V3}}}trustInfo/{{{ASM_V3}}}security/{{{ASM_V3}}}requestedPrivileges/"
                           f"{{{ASM_V3}}}requestedExecutionLevel")
    assert (level.get("level"), level.get("uiAccess")) == ("asInvoker", "false")
    systems = root.findall(f"{{{COMPATIBILITY}}}compatibility/{{{COMPATIBILITY}}}application/"
                           f"{{{COMPATIBILITY}}}supportedOS")
    assert {s.get("Id").lower() for s in systems} == SUPPORTED_OS and len(systems) == 4


@pytest.mark.parametrize("build", BUILDS)
def test_the_wrappers_boxes_are_drawn_at_the_screens_own_dpi(build):
    settings = manifest(build, "svcpack.exe").find(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings")
    assert settings.findtext(f"{{{SETTINGS_2005}}}dpiAware").strip().lower() == "true/pm"
    assert settings.findtext(f"{{{SETTINGS_2016}}}dpiAwareness").strip() == "PerMonitorV2,PerMonitor"
