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
    return "{:.2f} {:.2f} {:.2f}".format(*os.getloadavg())


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
