"""The shipped i686 wrapper and the x86_64 test build, read as PE images."""
import os
import pathlib
import struct
import xml.etree.ElementTree as ET

import pytest

import harness
import pe

WIN32 = pathlib.Path(os.environ.get("SVCPACK_WIN32_BUILD", harness.BUILD.parent / "win32")) / "svcpack.exe"
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msi.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24


@pytest.fixture(scope="module", params=["win32", "win64"])
def image(request):
    return pe.read(WIN32 if request.param == "win32" else harness.WRAPPER), request.param


def test_shipped_build_is_a_pe32_gui_program():
    image = pe.read(WIN32)
    assert image.magic == 0x10B and image.machine == 0x14C
    assert image.subsystem == 2


def test_test_build_is_the_same_program_for_x86_64():
    image = pe.read(harness.WRAPPER)
    assert image.magic == 0x20B and image.machine == 0x8664
    assert image.subsystem == 2


def test_imports_system_dlls_only(image):
    image, _ = image
    imported = {name.lower() for name in image.imports}
    assert imported <= SYSTEM_DLLS
    # Everything else is loaded from the system directory once the wrapper runs, so nothing
    # beside it in a download folder is resolved as a dependency at start.
    assert imported == {"kernel32.dll", "msvcrt.dll"}


def test_carries_the_package_exactly_once(image, package_bytes):
    image, _ = image
    packages = [(key, data) for key, data in image.resources.items() if key[0] == "MSP"]
    assert [key[1] for key, _ in packages] == ["IDR_MSP"]
    assert packages[0][1] == package_bytes


def test_icon_group_has_nine_images(image):
    image, _ = image
    [group] = [data for key, data in image.resources.items() if key[:2] == (RT_GROUP_ICON, "IDR_MAINFRAME")]
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    assert (reserved, kind, count) == (0, 1, 9)
    icon_ids = {struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)}
    stored = {key[1] for key in image.resources if key[0] == RT_ICON}
    assert icon_ids <= stored and len(icon_ids) == 9


def test_manifest_assembly_element_is_empty(image):
    image, _ = image
    [manifest] = [data for key, data in image.resources.items() if key[0] == RT_MANIFEST]
    root = ET.fromstring(manifest)
    assert root.tag == "{urn:schemas-microsoft-com:asm.v1}assembly"
    assert len(root) == 0 and not (root.text or "").strip()
