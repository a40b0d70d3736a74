"""Runs Windows programs of this build under Wine in private prefixes and reads what they did.

A base prefix is made once per test run; each test works in its own copy, whose temporary
directory is the wrapper's. With the relay filter set in the base prefix, every call the
program makes into msi.dll and every MessageBoxW shows up on stderr with its arguments; they
come back parsed into `Call` records.
"""
import dataclasses
import errno
import os
import pathlib
import re
import shutil
import subprocess
import tempfile

import emulation
import pe

ROOT = pathlib.Path(__file__).resolve().parents[2]
# Wine's own programs (wineboot, reg, msiexec, cmd) and the x86_64 test tools (patch builder,
# installer queries, rewrap, tamper probe) run under the 64-bit loader.
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
TOOLS = pathlib.Path(os.environ.get("SVCPACK_BUILD", ROOT / "build" / "win64"))
# The build whose programs a test run examines: the i686 one that ships unless
# SVCPACK_WINE_BUILD says x86_64. Its stub, its maker and the probes built from the wrapper's
# own code run under that build's loader; every test's id names the build.
BUILDS = {"i686": pathlib.Path(os.environ.get("SVCPACK_WIN32_BUILD", ROOT / "build" / "win32")),
          "x86_64": TOOLS}
LOADERS = {"i686": "/usr/lib/wine/wine", "x86_64": WINE}
ARCH = os.environ.get("SVCPACK_WINE_BUILD", "i686")
BUILD = BUILDS[ARCH]
LOADER = LOADERS[ARCH]
BASE_PREFIX = TOOLS / "wine" / "base"
WORK = TOOLS / "wine" / "work" / ARCH
STUB = BUILD / "svcpack.exe"
MAKER = BUILD / "svcpack-make.exe"
PROBES = BUILD / "tests" / "wine"
# The wrapper the tests run: the stub made into a wrapper for the demo patch by the maker of
# the same build, the way a release engineer makes one.



def demo_wrapper(arch=ARCH, base=BASE_PREFIX):
    """Where the demo wrapper of `arch` made with base prefix `base` lies: beside that prefix,
    so that the bench's or the demo's base never replaces the one the tests are running."""
    return base.parent / f"{base.name}-svcpack-demo-{arch}.exe"


WRAPPER = demo_wrapper()
DEMO_PACKAGE = ROOT / "resources" / "demo.msp"
DEMO_VERSION = "12.2.0.4"
LAUNCHER = PROBES / "launcher.exe"


def cannot_run_reason(arch=ARCH):
    """Why this machine cannot run the programs of `arch`, or None when it can. Only a kernel
    that refuses the loader's format ("Exec format error") is such a reason; a loader that is
    missing or fails in any other way is a broken setup and raises. While the smoke set has
    qemu-i386 registered for such a kernel, the loader starts, but only that set is meant to
    run under it: for every other test the kernel still refuses."""
    if arch == "i686" and emulation.registered() and not os.environ.get(emulation.SMOKE_SET):
        return ("this kernel cannot run 32-bit programs: they run emulated (qemu-i386) only in the i686 "
                "smoke set")
    try:
        subprocess.run([LOADERS[arch], "--version"], check=True, capture_output=True, timeout=60)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return f"this kernel cannot run 32-bit programs: starting {LOADERS[arch]} failed with {error.strerror}"
        raise
    return None


def runnable_arch():
    """The build whose programs run here, and why it is not the shipped one: ("i686", None), or
    ("x86_64", the reason) on a kernel that refuses 32-bit programs."""
    reason = cannot_run_reason("i686")
    return ("x86_64", reason) if reason else ("i686", None)


RELAY_INCLUDE = "user32.MessageBoxW;msi.*"


def windows_path(path):
    """The Z: drive path under which Wine sees a Linux path."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def base_env(prefix):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LANG="C.UTF-8", LC_ALL="")
    return env


def make_base_prefix(path=BASE_PREFIX, wrappers_of=BUILDS, timeout=300):
    """A fresh prefix with the relay filter set, and the demo wrapper of each build in
    `wrappers_of` that can run here; replaces an earlier prefix. Its system folder must hold syswow64: a prefix made
    before 32-bit Wine was installed cannot run 32-bit programs."""
    path = pathlib.Path(path)
    if path.exists():
        subprocess.run([WINESERVER, "-k"], env=base_env(path), check=False)
        shutil.rmtree(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    env = base_env(path)
    subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, timeout=timeout,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t",
                    "REG_SZ", "/d", RELAY_INCLUDE, "/f"], env=env, check=True, timeout=120,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-w"], env=env, check=True, timeout=120)
    if cannot_run_reason("i686") is None and not (path / "drive_c" / "windows" / "syswow64").is_dir():
        raise RuntimeError(f"{path} has no syswow64: 32-bit Wine is not installed whole")
    for arch in wrappers_of:
        if cannot_run_reason(arch) is None:
            make_demo_wrapper(Prefix(path), arch)
    return path


def make_demo_wrapper(prefix, arch=ARCH):
    """Makes the demo wrapper of `arch` for the base prefix `prefix` (demo_wrapper) with that
    build's maker, which takes the version from the patch; returns what the maker printed."""
    build = BUILDS[arch]
    made = prefix.wine([build / "svcpack-make.exe", windows_path(DEMO_PACKAGE), windows_path(demo_wrapper(arch, prefix.path)),
                        "/stub", windows_path(build / "svcpack.exe")], loader=LOADERS[arch])
    prefix.stop()
    return made.stdout


def make_set_wrapper(prefix, packages, out, *options, arch=ARCH):
    """Makes one wrapper at `out` for the set of patch packages `packages` (paths, in order) with
    the maker of `arch` from that build's stub, `options` after the file names, as a release
    engineer makes one. Returns the maker's CompletedProcess; a refusal raises with its line."""
    build = BUILDS[arch]
    made = prefix.wine([build / "svcpack-make.exe", *map(windows_path, packages), windows_path(out), *options],
                       loader=LOADERS[arch], check=False)
    if made.returncode != 0:
        raise RuntimeError(f"svcpack-make refused the set ({made.returncode}): {made.stderr.strip()}")
    return made


@dataclasses.dataclass
class Call:
    """One traced call into a DLL: 'msi.MsiConfigureProductExW', its arguments (a str for
    each wide-string argument, an int for the others) and its return value."""
    function: str
    args: list
    caller: int = 0
    result: int = None

    @property
    def name(self):
        return self.function.split(".", 1)[1]


@dataclasses.dataclass
class Run:
    exit_code: int
    calls: list
    new_files: list
    stdout: str
    stderr: str
    program_range: range

    def called(self, name):
        return [c for c in self.calls if c.name == name]

    @property
    def boxes(self):
        """(text, caption, style) of every MessageBoxW the program itself showed, in order; the
        installer's own boxes (its basic UI reports errors in one) are left out."""
        return [(c.args[1], c.args[2], c.args[3]) for c in self.called("MessageBoxW")
                if c.caller in self.program_range]


_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


class WideText(str):
    """A wide-string argument as the trace shows it. Wine cuts long strings in its trace:
    `truncated` says the real text goes on beyond what is here."""
    truncated = False


def same_text(shown, expected):
    """Whether a traced text is `expected`, or its beginning where the trace cut it."""
    if getattr(shown, "truncated", False):
        return len(shown) > 0 and expected.startswith(shown)
    return shown == expected


# Wine formats a traced string into 300 bytes and stops taking characters once 'L"' and the
# escaped text pass 290 of them; it adds "..." only when more than one character is left, so
# a text cut just before its last character looks whole.
_TRACE_TEXT_LIMIT = 290 - len('L"')


def _parse_wide(text, i):
    """Reads a Wine debug string starting at its opening quote; returns (value, next index).
    Wine writes other characters as a backslash and four hex digits, one per UTF-16 unit."""
    units = []
    i += 1
    start = i
    while text[i] != '"':
        if text[i] == "\\" and text[i + 1] in _ESCAPES:
            units.append(ord(_ESCAPES[text[i + 1]]))
            i += 2
        elif text[i] == "\\" and re.match(r"[0-9a-fA-F]{4}", text[i + 1:i + 5]):
            units.append(int(text[i + 1:i + 5], 16))
            i += 5
        else:
            units.append(ord(text[i]))
            i += 1
    data = b"".join(u.to_bytes(2, "little") for u in units)
    value = WideText(data.decode("utf-16-le", errors="surrogatepass"))
    value.truncated = text.startswith("...", i + 1) or i - start > _TRACE_TEXT_LIMIT
    return value, i + 1


def _parse_args(text):
    args, i = [], 0
    while i < len(text):
        m = re.match(r"\s*([0-9a-fA-F]+)?\s*", text[i:])
        value = int(m.group(1), 16) if m.group(1) else None
        i += m.end()
        if text.startswith('L"', i):
            value, i = _parse_wide(text, i + 1)
        elif text.startswith('"', i):
            value, i = _parse_wide(text, i)
        while i < len(text) and text[i] != ",":
            i += 1
        args.append(value)
        i += 1
    return args


_CALL = re.compile(r"^[0-9a-f]+:Call ([\w]+\.\w+)\((.*)\) ret=([0-9a-f]+)$")
_RET = re.compile(r"^[0-9a-f]+:Ret  ([\w]+\.\w+)\(.*\) retval=([0-9a-f]+) ret=[0-9a-f]+$")


def parse_relay(stderr):
    calls, open_calls = [], []
    for line in stderr.splitlines():
        m = _CALL.match(line)
        if m:
            call = Call(m.group(1), _parse_args(m.group(2)), int(m.group(3), 16))
            calls.append(call)
            open_calls.append(call)
            continue
        m = _RET.match(line)
        if m:
            for call in reversed(open_calls):
                if call.function == m.group(1):
                    call.result = int(m.group(2), 16)
                    open_calls.remove(call)
                    break
    return calls


class Prefix:
    """A copy of the base prefix for one test. Files are hard-linked; the registry files,
    which Wine rewrites in place, are real copies."""

    def __init__(self, path):
        self.path = pathlib.Path(path)
        self.env = base_env(self.path)

    @classmethod
    def clone(cls, name, base=BASE_PREFIX):
        dest = WORK / name
        if dest.exists():
            subprocess.run([WINESERVER, "-k"], env=base_env(dest), check=False)
            shutil.rmtree(dest)
        dest.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-al", str(base), str(dest)], check=True)
        for reg in list(dest.glob("*.reg")) + list(dest.glob("drive_c/windows/*.ini")):
            data = reg.read_bytes()
            reg.unlink()
            reg.write_bytes(data)
        return cls(dest)

    def keep_running(self):
        """Starts a persistent wineserver and Wine's services, so that no later program pays
        for starting them (about 3 s each time the server has gone idle). The services get no
        pipes: they outlive the program that starts them, and a pipe they held would leave its
        reader waiting for an end that never comes. Wine's first start in a fresh copy now and
        then fails; that start is tried once more, and the failure is shown."""
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True)
        for attempt in (1, 2):
            with tempfile.TemporaryFile() as errors:
                code = subprocess.run([WINE, "cmd", "/c", "rem"], env=self.env, timeout=300,
                                      stdout=subprocess.DEVNULL, stderr=errors).returncode
                if code == 0:
                    return self
                errors.seek(0)
                print(f"starting Wine in {self.path.name} failed ({code}), attempt {attempt}:\n"
                      + errors.read()[-2000:].decode(errors="replace"), flush=True)
        raise RuntimeError(f"Wine does not start in {self.path}")

    def remove(self):
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)

    def stop(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, check=False, timeout=60)

    @property
    def temp_dir(self):
        """The Linux folder behind the wrapper's temporary directory."""
        users = [u for u in (self.path / "drive_c" / "users").iterdir() if u.name != "Public"]
        return users[0] / "Temp"

    def set_temp(self, windows_dir):
        """Makes TEMP and TMP point at `windows_dir` for every later program."""
        self.stop()
        reg = self.path / "user.reg"
        text = reg.read_text(encoding="utf-8", errors="surrogateescape")
        value = windows_dir.replace("\\", "\\\\")
        text = re.sub(r'^"(TEMP|TMP)"=".*"$', lambda m: f'"{m.group(1)}"="{value}"', text, flags=re.M)
        reg.write_text(text, encoding="utf-8", errors="surrogateescape")

    def wine(self, args, cwd=None, timeout=300, env=None, check=True, loader=WINE):
        """Runs a Windows program (or Wine's own, such as msiexec) and waits for it to end.
        Its output goes through files, not pipes: a process it starts that outlives it (the
        installer's custom-action server, a service) would hold a pipe open, and reading to
        the pipe's end would wait for that process too."""
        full_env = dict(self.env, **(env or {}))
        command = [loader, *map(str, args)]
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(command, env=full_env, cwd=cwd, timeout=timeout, stdout=out,
                                  stderr=err).returncode
            out.seek(0)
            err.seek(0)
            proc = subprocess.CompletedProcess(command, code, out.read().decode(errors="replace"),
                                               err.read().decode(errors="replace"))
        if check:
            proc.check_returncode()
        return proc

    def tool(self, args):
        """Runs one of the tests' own helpers (msiexec installing a test product, msiquery,
        patchbuilder), never the program under test. Under load Wine has now and then ended
        such a program right after an install with 1 and no word; none of them ends with 1
        without saying why on stderr (msiexec's answers are never 1), so that end is tried once
        more, and shown."""
        for attempt in (1, 2):
            proc = self.wine(args, check=False)
            if proc.returncode != 1 or proc.stderr or attempt == 2:
                return proc
            print(f"{pathlib.PureWindowsPath(str(args[0])).name} ended with 1 and said nothing; trying it once more",
                  flush=True)

    def run(self, program, args=(), cwd=None, timeout=120, env=None, watch=None, arch=ARCH):
        """Runs `program` with `args` through the launcher of `arch`'s build under that build's
        loader, with the relay trace on. Returns
        its whole exit code, its traced calls and the files that appeared in the temporary
        directory (or in `watch`), but for the program's own run log there, which every run
        appends to (test_run_log.py reads it)."""
        watch = pathlib.Path(watch) if watch else self.temp_dir
        before = set(watch.rglob("*")) if watch.exists() else set()
        relay_env = dict(env or {}, WINEDEBUG="+relay")
        proc = self.wine([BUILDS[arch] / LAUNCHER.relative_to(BUILD), windows_path(program), *args],
                         cwd=cwd, timeout=timeout, env=relay_env, check=False, loader=LOADERS[arch])
        m = re.search(r"^EXITCODE=(\d+)", proc.stdout, re.M)
        if not m:
            raise AssertionError(f"launcher reported no exit code: {proc.stdout!r} {proc.stderr[-2000:]!r}")
        after = set(watch.rglob("*")) if watch.exists() else set()
        after.discard(watch / (pathlib.PureWindowsPath(str(program)).name + ".log"))
        image = pe.read(program)
        return Run(int(m.group(1)), parse_relay(proc.stderr), sorted(after - before),
                   proc.stdout, proc.stderr, range(image.image_base, image.image_base + image.image_size))



REWRAP = TOOLS / "tests" / "wine" / "rewrap.exe"


def rewrap(prefix, package, dest, wrapper=WRAPPER):
    """A copy of `wrapper` at `dest` that carries `package` instead of the demo patch, whatever
    it holds: the wrappers that the maker would refuse to make, for the wrapper's own defences."""
    prefix.wine([REWRAP, windows_path(wrapper), windows_path(package), windows_path(dest)])
    return pathlib.Path(dest)


def set_resource(file_names, versions):
    """The set resource's bytes: each file name and a line feed, an empty line, then
    "<product code> <version>" and a line feed for each product, in UTF-16LE. Tests write
    damaged ones by hand."""
    lines = [*file_names, "", *(f"{code} {version}" for code, version in versions)]
    return "".join(line + "\n" for line in lines).encode("utf-16-le")


def rewrap_set(prefix, packages, dest, versions=(), resource=None, wrapper=WRAPPER):
    """A copy of `wrapper` at `dest` that carries a set: `packages` is [(file name, path)], in
    order; `versions` [(product code, up-to-date version)]. `resource` replaces the set
    resource's bytes, whatever they hold. Nothing is checked, as rewrap checks nothing."""
    dest = pathlib.Path(dest)
    resource_file = dest.with_suffix(".set")
    resource_file.write_bytes(resource if resource is not None else set_resource([n for n, _ in packages], versions))
    prefix.wine([REWRAP, "/set", windows_path(wrapper), windows_path(dest), windows_path(resource_file),
                 *(windows_path(path) for _, path in packages)])
    return dest
