"""Test products and patch packages for the tests that run under Wine.

Products come from one template, product.wxs.in, built with wixl and then finished with
msibuild, because wixl 0.101 cannot write everything the tests need:
  - names outside codepage 1252 (Japanese, Cyrillic) make wixl crash, so wixl writes a stand-in
    name and msibuild sets the database codepage to UTF-8 (_ForceCodepage 65001) and the real
    ProductName;
  - wixl refuses an empty Property value and libmsi's INSERT refuses one too, but its UPDATE
    stores one: an empty LOCALEID is inserted with a stand-in value and then updated to ''
    (the row stays, with an empty Value);
  - wixl has no error custom actions (type 19), nor programs named by a property (type 50),
    so msibuild inserts their CustomAction rows and InstallExecuteSequence entries.
msibuild runs only the last -q of a command line, so each edit is a call of its own.

Patch packages are written by patchbuilder.exe, and msiquery.exe reads what the installer
knows afterwards; both run under Wine in a test's prefix.
"""
import pathlib
import string
import subprocess
import uuid

import harness

TEMPLATE = pathlib.Path(__file__).with_name("product.wxs.in")
MSIQUERY = harness.TOOLS / "tools" / "msiquery" / "msiquery.exe"
PATCHBUILDER = harness.TOOLS / "tools" / "patchbuilder" / "patchbuilder.exe"

UTF8_CODEPAGE = 65001
STAND_IN_VALUE = "stand-in"
# Shown when a product that refuses patches sees one; the patch then ends with 1603.
PATCH_REFUSAL_TEXT = "Korvanta test product: this product does not take patches."
REFUSAL_ACTION = "KorvantaRefusePatch"
REFUSAL_SEQUENCE = 1501  # right after InstallInitialize, which wixl schedules at 1500
ERROR_CUSTOM_ACTION = 19  # msidbCustomActionTypeError: shows Target as an error and fails
# Runs the program a property names with Target as its (formatted) arguments, and waits for it.
PROGRAM_CUSTOM_ACTION = 50  # msidbCustomActionTypeExe + msidbCustomActionTypeProperty
PROBE_ACTION = "KorvantaRunOnPatch"
PROBE_PROPERTY = "KORVANTAPROBE"
PROBE_SEQUENCE = 1502
# Longer target texts go through a file: a Windows command line holds 32767 characters.
LONGEST_ARGUMENT = 16000
COMPONENT_NAMESPACE = uuid.UUID("5d0c1c4e-8f34-4b7e-9a0e-6b1f3c2d7a11")


class QueryError(AssertionError):
    """msiquery.exe answered with a failure; `returncode` and `stderr` say which."""

    def __init__(self, args, returncode, stderr):
        super().__init__(f"msiquery {' '.join(args)} failed ({returncode}): {stderr.strip()}")
        self.returncode = returncode
        self.stderr = stderr


def _run(command, cwd=None):
    proc = subprocess.run([str(c) for c in command], cwd=cwd, capture_output=True, text=True,
                          errors="replace")
    if proc.returncode != 0:
        raise AssertionError(f"{command[0]} failed ({proc.returncode}): {proc.stdout}{proc.stderr}")
    return proc


def _sql_text(value):
    # The installer's SQL has no escape for a quote inside a string.
    if "'" in value:
        raise ValueError(f"a value for the installer's SQL cannot hold a single quote: {value!r}")
    return f"'{value}'"


def _edits(name, locale_id, fail_on_patch, run_on_patch):
    """The SQL statements that finish a product after wixl, in order."""
    yield f"UPDATE `Property` SET `Value` = {_sql_text(name)} WHERE `Property` = 'ProductName'"
    if locale_id is not None:
        yield ("INSERT INTO `Property` (`Property`, `Value`) VALUES "
               f"('LOCALEID', {_sql_text(locale_id or STAND_IN_VALUE)})")
    if locale_id == "":
        yield "UPDATE `Property` SET `Value` = '' WHERE `Property` = 'LOCALEID'"
    if fail_on_patch:
        yield ("INSERT INTO `CustomAction` (`Action`, `Type`, `Target`) VALUES "
               f"('{REFUSAL_ACTION}', {ERROR_CUSTOM_ACTION}, {_sql_text(PATCH_REFUSAL_TEXT)})")
        yield ("INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES "
               f"('{REFUSAL_ACTION}', 'PATCH', {REFUSAL_SEQUENCE})")
    if run_on_patch:
        program, arguments = run_on_patch
        yield ("INSERT INTO `Property` (`Property`, `Value`) VALUES "
               f"('{PROBE_PROPERTY}', {_sql_text(program)})")
        yield ("INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES "
               f"('{PROBE_ACTION}', {PROGRAM_CUSTOM_ACTION}, '{PROBE_PROPERTY}', {_sql_text(arguments)})")
        yield ("INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES "
               f"('{PROBE_ACTION}', 'PATCH', {PROBE_SEQUENCE})")


def build_product(out_dir, product_code, name, version, upgrade_code, language=1033,
                  locale_id=None, fail_on_patch=False, per_user=False, run_on_patch=None):
    """Builds an installable x64 product and returns the path of its .msi.

    locale_id None leaves LOCALEID out, "" gives it an empty value, anything else that value.
    fail_on_patch adds an error custom action conditioned on PATCH: the product installs, but
    applying a patch to it fails with 1603.
    per_user makes a product that installs for the installing user alone (no ALLUSERS).
    run_on_patch, (program, arguments) with Windows paths, runs the program while a patch is
    applied, right after InstallInitialize, and waits for it; the arguments are formatted, so
    "[PATCH]" stands for the patch package being applied. It must end with exit code 0.
    """
    out_dir = pathlib.Path(out_dir)
    stem = f"{product_code.strip('{}')}-{version}"  # the name may hold characters no file name can
    work = out_dir / f"{stem}.build"
    work.mkdir(parents=True, exist_ok=True)
    readme = work / "readme.txt"
    readme.write_text(f"{name}\n{version}\n", encoding="utf-8")
    wxs = work / "product.wxs"
    wxs.write_text(string.Template(TEMPLATE.read_text(encoding="utf-8")).substitute(
        product_code=product_code, upgrade_code=upgrade_code, version=version, language=language,
        scope="perUser" if per_user else "perMachine",
        folder=product_code.strip("{}"),
        component_guid="{%s}" % str(uuid.uuid5(COMPONENT_NAMESPACE, product_code)).upper()),
        encoding="utf-8")
    msi = out_dir / f"{stem}.msi"
    _run(["wixl", "-a", "x64", "-o", msi.resolve(), wxs.name], cwd=work)  # File sources are relative
    codepage = work / "_ForceCodepage.idt"
    codepage.write_bytes(f"\r\n\r\n{UTF8_CODEPAGE}\t_ForceCodepage\r\n".encode("ascii"))
    _run(["msibuild", msi, "-i", codepage])
    for statement in _edits(name, locale_id, fail_on_patch, run_on_patch):
        _run(["msibuild", msi, "-q", statement])
    return msi


def install_product(prefix, msi_path):
    """Installs the product quietly and checks that the installer reports it installed."""
    log = prefix.path / "drive_c" / f"install-{pathlib.Path(msi_path).stem[:40]}.log"
    proc = prefix.tool(["msiexec", "/i", harness.windows_path(msi_path), "/qn", "/l*v", harness.windows_path(log)])
    if proc.returncode != 0:
        said = log.read_text(errors="replace")[-3000:] if log.exists() else "(no log)"
        raise AssertionError(f"installing {msi_path} failed ({proc.returncode}): {proc.stderr[-1000:]}\n{said}")
    product_code = _product_code(msi_path)
    state = query(prefix, "state", product_code)
    if state != "5":
        raise AssertionError(f"{product_code} is in state {state} after installing {msi_path}")


def _product_code(msi_path):
    rows = _run(["msiinfo", "export", msi_path, "Property"]).stdout.splitlines()
    return next(row.split("\t")[1] for row in rows if row.startswith("ProductCode\t"))


def query(prefix, *args):
    """What msiquery.exe prints for `args` (one line, read as UTF-8); QueryError on failure."""
    proc = prefix.tool([MSIQUERY, *args])
    if proc.returncode != 0:
        raise QueryError([str(a) for a in args], proc.returncode, proc.stderr)
    return proc.stdout.removesuffix("\n")


def build_patch(out, patch_code, targets, new_version="12.2.0.4", obsoletes=(), targets_text=None,
                revision_text=None, omit_property=None, not_a_package=False, display_name=None, filler_bytes=0,
                metadata=None, *, prefix):
    """Writes a patch package with patchbuilder.exe (run in `prefix`) and returns its path.

    targets: (product code, upgrade code, old version) for each target product, or with a fourth
             item the version that target upgrades to instead of new_version.
    targets_text / revision_text: exact texts for summary properties 7 / 9.
    omit_property: 7, 9 or several of them, left out of the summary.
    not_a_package: a file that is not a package at all.
    display_name: the "DisplayName" in the patch's MsiPatchMetadata table.
    metadata: {property: value} of further standard MsiPatchMetadata rows.
    filler_bytes: the size of a stream that stands in for a real patch's payload cabinet.
    """
    out = pathlib.Path(out)
    out.parent.mkdir(parents=True, exist_ok=True)
    proc = prefix.tool([PATCHBUILDER, *patchbuilder_args(
        out, patch_code, targets, new_version, obsoletes, targets_text, revision_text,
        omit_property, not_a_package, display_name, filler_bytes, metadata)])
    if proc.returncode != 0 or not out.is_file():
        raise AssertionError(f"patchbuilder failed ({proc.returncode}): {proc.stderr[-2000:]}")
    return out


def patchbuilder_args(out, patch_code, targets, new_version="12.2.0.4", obsoletes=(),
                      targets_text=None, revision_text=None, omit_property=None,
                      not_a_package=False, display_name=None, filler_bytes=0, metadata=None):
    """The patchbuilder.exe command line (after the program) for these settings."""
    if not_a_package:
        return ["--out", harness.windows_path(out), "--not-a-package"]
    args = ["--out", harness.windows_path(out), "--patch-code", patch_code, "--new-version", new_version]
    for code in obsoletes:
        args += ["--obsoletes", code]
    for target in targets:
        args += ["--target", ",".join(target)]
    if display_name is not None:
        args += ["--display-name", display_name]
    for name, value in (metadata or {}).items():
        args += ["--metadata", f"{name}={value}"]
    if targets_text is not None and len(targets_text) > LONGEST_ARGUMENT:
        text_file = pathlib.Path(out).with_suffix(".targets.txt")
        text_file.write_text(targets_text, encoding="utf-8")
        args += ["--targets-file", harness.windows_path(text_file)]
    elif targets_text is not None:
        args += ["--targets-text", targets_text]
    if revision_text is not None:
        args += ["--revision-text", revision_text]
    omitted = [] if omit_property is None else [omit_property] if isinstance(omit_property, int) else omit_property
    for property_id in omitted:
        args += ["--omit-property", str(property_id)]
    if filler_bytes:
        args += ["--filler-bytes", str(filler_bytes)]
    return args
