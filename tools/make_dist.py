"""make dist: the release a Windows release engineer downloads, as build/dist/svcpack/ and
build/dist/svcpack.zip: the shipped i686 stub and maker, their x86_64 builds under x64/, and
README.txt."""
import pathlib
import shutil
import sys
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[1]
DIST = ROOT / "build" / "dist"
FOLDER = DIST / "svcpack"
README = ROOT / "docs" / "release-engineers.txt"
CONTENTS = {
    "svcpack.exe": ROOT / "build" / "win32" / "svcpack.exe",
    "svcpack-make.exe": ROOT / "build" / "win32" / "svcpack-make.exe",
    "x64/svcpack.exe": ROOT / "build" / "win64" / "svcpack.exe",
    "x64/svcpack-make.exe": ROOT / "build" / "win64" / "svcpack-make.exe",
}


def main():
    shutil.rmtree(FOLDER, ignore_errors=True)
    for name, source in CONTENTS.items():
        (FOLDER / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, FOLDER / name)
    # Notepad on older Windows shows a file with bare line feeds as one line.
    text = README.read_text(encoding="utf-8").replace("\r\n", "\n").replace("\n", "\r\n")
    (FOLDER / "README.txt").write_bytes(text.encode("utf-8"))
    archive = DIST / "svcpack.zip"
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as zip_file:
        for path in sorted(FOLDER.rglob("*")):
            if path.is_file():
                zip_file.write(path, "svcpack/" + path.relative_to(FOLDER).as_posix())
    for path in sorted(FOLDER.rglob("*")):
        if path.is_file():
            print(f"{path.relative_to(DIST)}  {path.stat().st_size} B")
    print(f"{archive.relative_to(ROOT)}  {archive.stat().st_size} B")
    return 0


if __name__ == "__main__":
    sys.exit(main())
