"""The programs of the build under test read as PE images: its stub and its maker, and a wrapper
made from the stub."""
import struct
import xml.etree.ElementTree as ET

import pytest

import harness
import pe

FORMATS = {"i686": (0x10B, 0x14C), "x86_64": (0x20B, 0x8664)}  # PE32 on i386, PE32+ on AMD64
GUI, CONSOLE = 2, 3
LARGE_ADDRESS_AWARE = 0x0020
TERMINAL_SERVER_AWARE = 0x8000
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msi.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
               "advapi32.dll"}
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
CARRIED = {"MSP", "MSPVERSION"}
# Above what the shipped stub holds today (64 KiB, make bench's goal), below what the runtime's
# startup code brings along (10 KiB more), and far below the exception runtime or iostreams
# (100 KiB and more).
OWN_BYTES_LIMIT = 72 * 1024


@pytest.mark.parametrize("program, subsystem", [(harness.STUB, GUI), (harness.MAKER, CONSOLE)], ids=["stub", "maker"])
def test_the_build_has_the_stub_and_the_maker(program, subsystem):
    image = pe.read(program)
    assert (image.magic, image.machine, image.subsystem) == (*FORMATS[harness.ARCH], subsystem)
    assert {name.lower() for name in image.imports} <= SYSTEM_DLLS


def test_both_programs_may_use_all_the_memory_a_process_gets():
    # A 32-bit program without the flag gets 2 GiB of address space, which large patches
    # outgrow; the stub also says it runs on terminal servers, which then leave its view of
    # the Windows folder and the registry alone.
    stub, maker = pe.read(harness.STUB), pe.read(harness.MAKER)
    assert stub.characteristics & LARGE_ADDRESS_AWARE and maker.characteristics & LARGE_ADDRESS_AWARE
    assert stub.dll_characteristics & TERMINAL_SERVER_AWARE


def test_the_stub_imports_nothing_a_download_folder_could_plant():
    # Everything else is loaded from the system directory once the wrapper runs, so nothing
    # beside it in a download folder is resolved as a dependency at start; and nothing that
    # older Windows lacks keeps it from starting (test_dll_planting checks which functions).
    assert {name.lower() for name in pe.read(harness.STUB).imports} == {"kernel32.dll", "msvcrt.dll"}


def test_the_shipped_stub_pulls_in_no_runtime_of_its_own():
    # What make bench weighs: the file but its resources (strings, icons, and in a wrapper the
    # package), of the shipped stub, which is read, not run. A library facility pulled in
    # unnoticed, or a build setting lost, shows here before a release does.
    stub = harness.BUILDS["i686"] / harness.STUB.name
    image = pe.read(stub)
    own = stub.stat().st_size - sum(raw for name, _, raw in image.sections if name == ".rsrc")
    assert own <= OWN_BYTES_LIMIT, f"the stub's own bytes are {own}, over {OWN_BYTES_LIMIT}"


def test_the_stub_carries_no_patch():
    assert not [key for key in pe.read(harness.STUB).resources if key[0] in CARRIED]


def test_a_made_wrapper_carries_its_package_and_version_once(package_bytes):
    resources = pe.read(harness.WRAPPER).resources
    carried = {key[:2]: data for key, data in resources.items() if key[0] in CARRIED}
    assert set(carried) == {("MSP", "IDR_MSP"), ("MSPVERSION", "IDR_MSPVERSION")}
    assert carried["MSP", "IDR_MSP"] == package_bytes
    assert carried["MSPVERSION", "IDR_MSPVERSION"].decode("utf-16-le") == harness.DEMO_VERSION


def test_icon_group_has_nine_images():
    image = pe.read(harness.STUB)
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


def manifest(program):
    """The program's one manifest (resource 1, the one the loader reads), parsed."""
    [(key, data)] = [(key, data) for key, data in pe.read(program).resources.items() if key[0] == RT_MANIFEST]
    assert key[1] == 1, key
    root = ET.fromstring(data)
    assert root.tag == f"{{{ASM_V1}}}assembly" and root.get("manifestVersion") == "1.0"
    return root


@pytest.mark.parametrize("program", [harness.STUB, harness.MAKER], ids=["stub", "maker"])
def test_both_programs_run_as_invoked_on_every_windows_they_name(program):
    root = manifest(program)
    [level] = root.findall(f"{{{ASM_V3}}}trustInfo/{{{ASM_V3}}}security/{{{ASM_V3}}}requestedPrivileges/"
                           f"{{{ASM_V3}}}requestedExecutionLevel")
    assert (level.get("level"), level.get("uiAccess")) == ("asInvoker", "false")
    systems = root.findall(f"{{{COMPATIBILITY}}}compatibility/{{{COMPATIBILITY}}}application/"
                           f"{{{COMPATIBILITY}}}supportedOS")
    assert {s.get("Id").lower() for s in systems} == SUPPORTED_OS and len(systems) == 4


def test_the_wrappers_boxes_are_drawn_at_the_screens_own_dpi():
    settings = manifest(harness.STUB).find(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings")
    assert settings.findtext(f"{{{SETTINGS_2005}}}dpiAware").strip().lower() == "true/pm"
    assert settings.findtext(f"{{{SETTINGS_2016}}}dpiAwareness").strip() == "PerMonitorV2,PerMonitor"
