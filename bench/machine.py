"""The machine a run was measured on, as RESULTS.md states it."""
import datetime
import os
import platform
import subprocess

import project  # noqa: F401
import harness


def _cpu_model():
    with open("/proc/cpuinfo", encoding="utf-8") as info:
        for line in info:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown"


def _memory_gib():
    with open("/proc/meminfo", encoding="utf-8") as info:
        kib = next(int(line.split()[1]) for line in info if line.startswith("MemTotal:"))
    return kib / (1024 * 1024)


def _wine_version():
    return subprocess.run([harness.WINE, "--version"], capture_output=True, text=True,
                          check=True).stdout.strip()


def load_average():
    """The 1, 5 and 15 minute load averages."""
    return os.getloadavg()


def shown(load):
    return "{:.2f} {:.2f} {:.2f}".format(*load)


def shared_machine_note(load_before, load_after):
    """What RESULTS.md says when other work ran beside the bench, or None. Before the bench
    starts, the load is all other work; during it, the bench keeps about one core busy itself."""
    cores = len(os.sched_getaffinity(0))
    if load_before[0] < 1 and load_after[0] < cores + 1:
        return None
    return (f"other work shared the {cores} cores: the 1-minute load was {load_before[0]:.2f} before the "
            f"bench began and {load_after[0]:.2f} at its end. Absolute times are longer than on an idle "
            "machine; ratios, taken round by round against references run in the same rounds, less so, "
            "but they are noisier")


def describe():
    """(label, value) pairs, in the order RESULTS.md lists them."""
    return [
        ("date", datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")),
        ("nproc", str(len(os.sched_getaffinity(0)))),
        ("CPU", _cpu_model()),
        ("memory", f"{_memory_gib():.1f} GiB"),
        ("kernel", f"{platform.system()} {platform.release()} {platform.machine()}"),
        ("Wine", _wine_version()),
    ]
