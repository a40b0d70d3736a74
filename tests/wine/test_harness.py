"""Which build runs: only a kernel that refuses the 32-bit loader's format makes the i686 build
unrunnable, and then every tool that runs programs turns to the x86_64 build and says why; a
loader that is missing is a broken setup, which fails the run."""
import errno

import pytest

import demo
import harness
import make_wrapper


def loader(tmp_path, kind):
    path = tmp_path / f"{kind}-loader"
    if kind == "foreign":
        path.write_bytes(b"\x7fELF\x03" + bytes(60))  # executable, in no format this kernel runs
    elif kind == "running":
        path.write_text("#!/bin/sh\nexit 0\n")
    if kind != "missing":
        path.chmod(0o755)
    return str(path)


# The choice each tool makes, read as (the build it runs, why when not the shipped one); make
# bench and make reliability take the harness's own.
CHOICES = {
    "demo": demo.build_choice,
    "wrapper": make_wrapper.maker_choice,
    "bench and reliability": harness.runnable_arch,
}


@pytest.mark.parametrize("tool", CHOICES)
@pytest.mark.parametrize("kind, arch", [("foreign", "x86_64"), ("running", "i686")])
def test_each_tool_runs_the_build_this_kernel_runs_and_says_why(monkeypatch, tmp_path, tool, kind, arch):
    monkeypatch.setitem(harness.LOADERS, "i686", loader(tmp_path, kind))
    chosen, why = CHOICES[tool]()
    assert chosen == arch
    if arch == "i686":
        assert why is None
    else:
        assert "Exec format error" in why


@pytest.mark.parametrize("tool", CHOICES)
def test_a_missing_loader_is_a_broken_setup(monkeypatch, tmp_path, tool):
    monkeypatch.setitem(harness.LOADERS, "i686", loader(tmp_path, "missing"))
    with pytest.raises(OSError) as missing:
        CHOICES[tool]()
    assert missing.value.errno == errno.ENOENT
