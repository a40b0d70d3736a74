"""When the i686 tests are skipped: only a kernel that refuses the 32-bit loader's format is a
reason; a loader that is missing is a broken setup, which fails the run."""
import errno

import pytest

import harness


def test_only_exec_format_error_makes_the_build_unrunnable(monkeypatch, tmp_path):
    foreign = tmp_path / "foreign-loader"
    foreign.write_bytes(b"\x7fELF\x03" + bytes(60))  # executable, in no format this kernel runs
    foreign.chmod(0o755)
    monkeypatch.setitem(harness.LOADERS, "i686", str(foreign))
    assert "Exec format error" in harness.cannot_run_reason("i686")

    monkeypatch.setitem(harness.LOADERS, "i686", str(tmp_path / "missing-loader"))
    with pytest.raises(OSError) as missing:
        harness.cannot_run_reason("i686")
    assert missing.value.errno == errno.ENOENT

