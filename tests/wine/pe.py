"""Reads what a test needs from a PE executable: its format, subsystem, imports and resources."""
import dataclasses
import struct


@dataclasses.dataclass
class Image:
    machine: int
    magic: int          # 0x10b: PE32, 0x20b: PE32+
    subsystem: int
    characteristics: int      # IMAGE_FILE_* flags of the file header
    dll_characteristics: int  # IMAGE_DLLCHARACTERISTICS_* flags of the optional header
    image_base: int
    image_size: int
    imports: list       # DLL names
    functions: dict     # lower-case DLL name -> names of the functions imported by name
    resources: dict     # (type, name, language) -> bytes; type and name are int or str
    sections: list      # (name, virtual size, raw size)
    checksum: int = 0   # as the optional header states it
    security: tuple = (0, 0)  # the certificate table's file offset and size

    def string_tables(self):
        """{language: {id: text}} from the RT_STRING blocks."""
        tables = {}
        for (kind, block, language), data in self.resources.items():
            if kind != 6:
                continue
            offset = 0
            for index in range(16):
                (length,) = struct.unpack_from("<H", data, offset)
                text = data[offset + 2: offset + 2 + 2 * length].decode("utf-16-le")
                offset += 2 + 2 * length
                if length:
                    tables.setdefault(language, {})[(block - 1) * 16 + index] = text
        return tables


def read(path):
    data = open(path, "rb").read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE image"
    machine, count, _, _, _, optional_size, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    (magic,) = struct.unpack_from("<H", data, optional)
    subsystem, dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
    if magic == 0x10B:
        (image_base,) = struct.unpack_from("<I", data, optional + 28)
    else:
        (image_base,) = struct.unpack_from("<Q", data, optional + 24)
    (image_size,) = struct.unpack_from("<I", data, optional + 56)
    directories = optional + (96 if magic == 0x10B else 112)
    section_table = optional + optional_size
    sections = []
    for i in range(count):
        name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, section_table + 40 * i)
        sections.append((name.rstrip(b"\0").decode(), vsize, vaddr, rsize, raw))

    def at(rva):
        for _, vsize, vaddr, rsize, raw in sections:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return rva - vaddr + raw
        raise ValueError(f"RVA {rva:#x} in no section")

    def directory(index):
        return struct.unpack_from("<II", data, directories + 8 * index)

    def c_string(offset):
        return data[offset:data.index(b"\0", offset)].decode("ascii")

    thunk_format, ordinal_flag = ("<I", 1 << 31) if magic == 0x10B else ("<Q", 1 << 63)
    thunk_size = struct.calcsize(thunk_format)

    def names(thunks_rva):
        thunk = at(thunks_rva)
        while True:
            (value,) = struct.unpack_from(thunk_format, data, thunk)
            if not value:
                return
            if not value & ordinal_flag:
                yield c_string(at(value) + 2)  # past the hint
            thunk += thunk_size

    imports, functions = [], {}
    import_rva, _ = directory(1)
    if import_rva:
        entry = at(import_rva)
        while True:
            fields = struct.unpack_from("<IIIII", data, entry)
            if not any(fields):
                break
            imports.append(c_string(at(fields[3])))
            functions[imports[-1].lower()] = list(names(fields[0] or fields[4]))
            entry += 20

    resources = {}
    resource_rva, _ = directory(2)
    if resource_rva:
        root = at(resource_rva)

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", data, offset + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", data, offset + 16 + 8 * i)
                if key & 0x80000000:
                    (length,) = struct.unpack_from("<H", data, root + (key & 0x7FFFFFFF))
                    start = root + (key & 0x7FFFFFFF) + 2
                    key = data[start:start + 2 * length].decode("utf-16-le")
                yield key, target

        for kind, to_names in entries(root):
            for name, to_languages in entries(root + (to_names & 0x7FFFFFFF)):
                for language, to_data in entries(root + (to_languages & 0x7FFFFFFF)):
                    rva, size, _, _ = struct.unpack_from("<IIII", data, root + to_data)
                    resources[(kind, name, language)] = data[at(rva):at(rva) + size]

    (stated_checksum,) = struct.unpack_from("<I", data, optional + 64)
    return Image(machine, magic, subsystem, characteristics, dll_characteristics, image_base, image_size, imports, functions, resources,
                 [(name, vsize, rsize) for name, vsize, _, rsize, _ in sections], stated_checksum, directory(4))


def checksum(data):
    """The image checksum computed afresh, as the loader checks it for drivers: the file's
    16-bit words summed with end-around carry, the checksum field itself left out, plus the
    file's length."""
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    field = pe + 24 + 64
    padded = data + b"\0" * (len(data) % 2)
    total = 0
    for offset, (word,) in zip(range(0, len(padded), 2), struct.iter_unpack("<H", padded)):
        if field <= offset < field + 4:
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total & 0xFFFF) + len(data)
