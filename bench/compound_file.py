"""A compound file of a given size that holds one stream of random bytes: the package for the
extraction bench. The wrapper checks that a package's structure is complete (header, allocation
table, directory, every stream's sectors) before it writes the package out, but never reads
what a stream holds, so random contents stand for a real patch's bytes."""
import math
import os
import struct

SECTOR_SHIFT = 12                      # version 4: 4096-byte sectors
SECTOR = 1 << SECTOR_SHIFT
MINI_SECTOR_SHIFT = 6
MINI_STREAM_CUTOFF = 4096
HEADER_FAT_ENTRIES = 109               # allocation table sectors the header itself lists
FREE, END_OF_CHAIN, FAT_SECTOR, NO_STREAM = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF
SIGNATURE = bytes([0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1])
STREAM_NAME = "Padding"


def _layout(size):
    """(allocation table sectors, data sectors) of a file of `size` bytes: the header sector,
    the table, one directory sector, then the stream."""
    if size % SECTOR:
        raise ValueError(f"{size} is not a whole number of {SECTOR}-byte sectors")
    sectors = size // SECTOR - 1
    fat_sectors = math.ceil(sectors / (SECTOR // 4))
    if fat_sectors > HEADER_FAT_ENTRIES:
        raise ValueError(f"{size} bytes need an allocation table longer than the header lists")
    return fat_sectors, sectors - fat_sectors - 1


def _header(fat_sectors):
    directory = fat_sectors
    fields = struct.pack("<8s16sHHHHH6sIIIIIIIII", SIGNATURE, bytes(16), 0x3E, 4, 0xFFFE,
                         SECTOR_SHIFT, MINI_SECTOR_SHIFT, bytes(6), 1, fat_sectors, directory, 0,
                         MINI_STREAM_CUTOFF, END_OF_CHAIN, 0, END_OF_CHAIN, 0)
    listed = list(range(fat_sectors)) + [FREE] * (HEADER_FAT_ENTRIES - fat_sectors)
    return (fields + struct.pack(f"<{HEADER_FAT_ENTRIES}I", *listed)).ljust(SECTOR, b"\0")


def _fat(fat_sectors, data_sectors):
    first_data = fat_sectors + 1
    entries = [FAT_SECTOR] * fat_sectors + [END_OF_CHAIN]
    entries += list(range(first_data + 1, first_data + data_sectors)) + [END_OF_CHAIN]
    entries += [FREE] * (fat_sectors * SECTOR // 4 - len(entries))
    return struct.pack(f"<{len(entries)}I", *entries)


def _entry(name, kind, child, start, size):
    encoded = (name + "\0").encode("utf-16-le")
    return struct.pack("<64sHBBIII16sIQQIQ", encoded, len(encoded), kind, 1, NO_STREAM, NO_STREAM,
                       child, bytes(16), 0, 0, 0, start, size)


def _directory(fat_sectors, data_sectors):
    root = _entry("Root Entry", 5, 1, END_OF_CHAIN, 0)
    stream = _entry(STREAM_NAME, 2, NO_STREAM, fat_sectors + 1, data_sectors * SECTOR)
    unused = struct.pack("<66xBBIII48x", 0, 0, NO_STREAM, NO_STREAM, NO_STREAM)
    return root + stream + unused * (SECTOR // len(root) - 2)


def structure(size):
    """Every byte of the file before the stream's own."""
    fat_sectors, data_sectors = _layout(size)
    return _header(fat_sectors) + _fat(fat_sectors, data_sectors) + _directory(fat_sectors, data_sectors)


def write(path, size):
    head = structure(size)
    with open(path, "wb") as out:
        out.write(head)
        for left in range(size - len(head), 0, -SECTOR * 256):
            out.write(os.urandom(min(left, SECTOR * 256)))


def matches(path, size):
    """Whether `path` is such a file of `size` bytes (its stream's contents aside)."""
    if not path.is_file() or path.stat().st_size != size:
        return False
    head = structure(size)
    with open(path, "rb") as existing:
        return existing.read(len(head)) == head
