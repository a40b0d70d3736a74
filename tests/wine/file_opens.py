"""Acting on a file at the moment a Windows program opens it, before the open completes.

Wine's server opens every file a program names with a Unix open(); fanotify's permission
events hold that open until a listener answers. A test thus changes what the wrapper finds in
the window between two of its steps, every time, instead of racing it. Needs CAP_SYS_ADMIN,
as CI and the setup have (root).
"""
import contextlib
import ctypes
import errno
import os
import select
import struct
import threading

import pytest

FAN_CLOEXEC, FAN_CLASS_CONTENT = 0x1, 0x4
FAN_MARK_ADD = 0x1
FAN_OPEN_PERM, FAN_EVENT_ON_CHILD = 0x00010000, 0x08000000
FAN_ALLOW = 0x1
_EVENT = struct.Struct("=IBBHQii")  # struct fanotify_event_metadata

_libc = ctypes.CDLL(None, use_errno=True)
_libc.fanotify_mark.argtypes = [ctypes.c_int, ctypes.c_uint, ctypes.c_uint64, ctypes.c_int, ctypes.c_char_p]


def _checked(result):
    if result < 0:
        error = ctypes.get_errno()
        raise OSError(error, os.strerror(error))
    return result


@contextlib.contextmanager
def on_open(directory, act):
    """While in the block, every open of a file directly in `directory` waits for
    `act(path, fd)`, with `fd` a read-write descriptor of the file being opened. `act` must
    not open files in `directory` itself: its own open would wait for it."""
    group = _libc.fanotify_init(FAN_CLOEXEC | FAN_CLASS_CONTENT, os.O_RDWR | os.O_LARGEFILE)
    if group < 0 and ctypes.get_errno() == errno.EPERM:
        pytest.skip("holding a program's opens (fanotify) needs CAP_SYS_ADMIN: run the tests as root")
    _checked(group)
    stop_read, stop_write = os.pipe()
    failures = []

    def answer(fd, path):
        try:
            act(path, fd)
        except Exception as error:  # the open must be answered whatever the test's act did
            failures.append(error)
        finally:
            os.write(group, struct.pack("=iI", fd, FAN_ALLOW))
            os.close(fd)

    def listen():
        while stop_read not in select.select([group, stop_read], [], [])[0]:
            data, offset = os.read(group, 4096), 0
            while offset < len(data):
                length, _, _, _, _, fd, _ = _EVENT.unpack_from(data, offset)
                if fd >= 0:  # none on a queue overflow, which holds no open
                    answer(fd, os.readlink(f"/proc/self/fd/{fd}"))
                offset += length

    try:
        _checked(_libc.fanotify_mark(group, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, -100,
                                     os.fsencode(directory)))
        listener = threading.Thread(target=listen, daemon=True)
        listener.start()
        try:
            yield
        finally:
            os.write(stop_write, b"x")
            listener.join(30)
    finally:
        # Closing the group lets any open still waiting go on.
        for fd in (group, stop_read, stop_write):
            os.close(fd)
    if failures:
        raise failures[0]
