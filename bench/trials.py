"""Timed runs of commands, interleaved round by round with the commands they are compared to,
so that a slow spell of the machine falls on both sides of a ratio alike."""
import dataclasses
import os
import pathlib
import statistics
import subprocess
import tempfile
import time
import typing

# A child forked from Python starts with Python's resident size in its peak figure (the kernel
# carries the old image's peak over exec); one forked from GNU time starts from time's few
# hundred KiB, far below any Wine process.
GNU_TIME = "/usr/bin/time"


@dataclasses.dataclass(frozen=True)
class Sample:
    seconds: float   # wall time of the whole process, from fork to exit
    peak_kib: int    # peak resident set of the process
    exit_code: int   # as Linux sees it: the low 8 bits of a Windows exit code


def linux_exit_code(windows_code):
    return windows_code & 0xFF


@dataclasses.dataclass(frozen=True)
class Trial:
    """One run ready to start, and what to check and tidy once it has ended (untimed)."""
    command: list
    env: dict = None
    finish: typing.Callable[[Sample], None] = lambda sample: None


@dataclasses.dataclass(frozen=True)
class Variant:
    name: str
    prepare: typing.Callable[[], Trial]  # untimed: a fresh destination, a fresh prefix, ...


class Failed(RuntimeError):
    """A measured run did not do its work; its time would mean nothing."""


def expect(condition, message):
    if not condition:
        raise Failed(message)


def writing(name, command, env, destination, exit_code, size):
    """A variant that must end with `exit_code` and leave `size` bytes at `destination` (None:
    no file there). The destination is deleted and the disk synced before each run, so that no
    run finds the previous one's writes still pending or its file already in place."""
    def finish(sample):
        expect(sample.exit_code == exit_code, f"{name}: exit code {sample.exit_code}, not {exit_code}")
        written = destination.stat().st_size if destination.exists() else None
        expect(written == size, f"{name}: wrote {written} bytes, not {size}")

    def prepare():
        destination.unlink(missing_ok=True)
        os.sync()
        return Trial(command, env, finish)
    return Variant(name, prepare)


def same_bytes(a, b):
    return subprocess.run(["cmp", "-s", str(a), str(b)]).returncode == 0


def run_once(trial):
    with tempfile.TemporaryDirectory() as scratch:
        report = pathlib.Path(scratch) / "peak"
        start = time.perf_counter()
        proc = subprocess.run([GNU_TIME, "-f", "%M", "-o", str(report), *map(str, trial.command)],
                              env=trial.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        # time writes a line about a non-zero exit status before the figure.
        peak = int(report.read_text().split()[-1])
    sample = Sample(seconds, peak, proc.returncode)
    trial.finish(sample)
    return sample


class Samples:
    """The kept samples of each variant, index i of every list from round i."""

    def __init__(self, by_name):
        self.by_name = by_name

    def seconds(self, name):
        return [s.seconds for s in self.by_name[name]]

    def median(self, name):
        return statistics.median(self.seconds(name))

    def ratio(self, name, reference):
        """Median over rounds of the time of `name` divided by that of `reference` in the same round."""
        return statistics.median(a / b for a, b in zip(self.seconds(name), self.seconds(reference)))

    def differences(self, name, reference):
        """Time of `name` minus that of `reference`, round by round."""
        return [a - b for a, b in zip(self.seconds(name), self.seconds(reference))]

    def peak_kib(self, name):
        return max(s.peak_kib for s in self.by_name[name])

    @property
    def rounds(self):
        return len(next(iter(self.by_name.values())))


def interleave(variants, rounds, warmup_rounds=1, label=""):
    """Runs every variant once per round, starting each round one variant later than the last
    so that none always runs first or always right after the same one. The warm-up rounds fill
    the disk cache and are not kept."""
    kept = {v.name: [] for v in variants}
    for index in range(warmup_rounds + rounds):
        shift = index % len(variants)
        for variant in variants[shift:] + variants[:shift]:
            sample = run_once(variant.prepare())
            if index >= warmup_rounds:
                kept[variant.name].append(sample)
        print(f"bench: {label} round {index + 1 - warmup_rounds}/{rounds}"
              if index >= warmup_rounds else f"bench: {label} warm-up round", flush=True)
    return Samples(kept)


def quartiles(values):
    """(lower quartile, upper quartile)."""
    lower, _, upper = statistics.quantiles(values, n=4, method="inclusive")
    return lower, upper
