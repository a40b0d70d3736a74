"""User-mode emulation of 32-bit x86 programs, for the shipped i686 build's smoke set on a kernel
that refuses them: Debian's qemu-i386 registered as the binfmt_misc handler of 32-bit x86 ELF
programs for the run, and removed afterwards. Wine's 32-bit loader starts further 32-bit
programs of its own (its preloader, wineboot's and cmd's 32-bit halves), so running only the
first one under qemu would not do: the kernel must hand every one of them over."""
import os
import pathlib
import subprocess

MISC = pathlib.Path("/proc/sys/fs/binfmt_misc")
NAME = "svcpack-i386"
QEMU = pathlib.Path("/usr/bin/qemu-i386")
# An ELF header of class 32-bit, little-endian, version 1, type executable or shared object
# (the mask lets 2 and 3 through), machine 3 (i386). The kernel reads the \x escapes itself.
MAGIC = r"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00"
MASK = r"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"
# P keeps argv[0] as the program gave it (Wine's loader finds itself by it), O hands qemu the
# open program, C takes credentials from the program rather than from qemu.
FLAGS = "POC"
# The variable that makes a test run the one that registers the handler.
SMOKE_SET = "SVCPACK_EMULATE_I386"


def registered():
    """Whether our handler is there, left by this run or by one that was killed."""
    return (MISC / NAME).exists()


def mount_misc():
    """binfmt_misc, mounted where the system has not mounted it; None, or why it cannot be."""
    if (MISC / "register").exists():
        return None
    mounted = subprocess.run(["mount", "-t", "binfmt_misc", "binfmt_misc", str(MISC)], capture_output=True, text=True)
    if mounted.returncode != 0 or not (MISC / "register").exists():
        return f"binfmt_misc cannot be mounted at {MISC}: {mounted.stderr.strip() or 'no register file'}"
    return None


def unavailable_reason():
    """Why the handler cannot be registered here, or None when it can."""
    if os.geteuid() != 0:
        return "registering a binfmt_misc handler needs root"
    if not QEMU.is_file():
        return f"{QEMU} is missing (Debian's qemu-user)"
    return mount_misc()


def remove():
    if registered():
        (MISC / NAME).write_text("-1")


def register():
    """Registers the handler, replacing one that a killed run left: two handlers for one format
    would be tried in turn, and the older one might name a qemu that is gone."""
    remove()
    (MISC / "register").write_text(f":{NAME}:M::{MAGIC}:{MASK}:{QEMU}:{FLAGS}")
