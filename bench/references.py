"""The Wine runs that the Wine figures are compared to, timed in the same rounds as each figure:
Wine's own copy of the large patch, and Wine starting a program that does nothing."""
import harness
import large_patch
import trials

WINE_COPY = "Wine cmd /c copy"
WINE_START = "Wine cmd /c rem"


def wine_copy(env, destination, size):
    """Copies the large patch to `destination`, which must then hold `size` bytes."""
    return trials.writing(WINE_COPY, [harness.WINE, "cmd", "/c", "copy", "/y", harness.windows_path(large_patch.PACKAGE),
                                      harness.windows_path(destination)], env, destination, 0, size)


def wine_start(env, destination):
    """Starts cmd to do nothing; `destination` must stay absent."""
    return trials.writing(WINE_START, [harness.WINE, "cmd", "/c", "rem"], env, destination, 0, None)
