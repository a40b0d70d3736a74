#!/usr/bin/env python3
"""Writes the committed seed corpus of every fuzz target under tests/fuzz/corpus/<target>/.

The encoding is FuzzInput's: texts end with a NUL byte, a byte stands for the character of
the same value, 0x01 and two bytes little-endian give any other UTF-16 code unit; numbers are
little-endian; a choice byte is an index into the harness's list of choices.
"""
import pathlib
import shutil

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"

PROGRAM = "C:\\Downloads\\svcpack.exe"
TEMP = "C:\\Users\\admin\\AppData\\Local\\Temp\\"
PACKAGE = TEMP + "MSP3F2A.tmp"
LEDGER = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}"
PAYROLL = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}"
ARCHIVE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A03}"
PATCH_CODE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B00}"

ENGLISH = {
    300: "A problem prevented the %s from being installed. Contact your system administrator. "
         "\n\n Error Code: %d",
    301: "The %s has been successfully installed.",
    302: "The installer has detected that the following programs\nare running.\n\n%s\n"
         "In order to complete installation, these programs must\nbe closed.\n%s",
    306: "Your version of %s is up-to-date and this %s is not necessary.",
    308: "This %s could not be installed because it is not designed for the version of %s "
         "that is installed on your computer.",
    311: "Installation Error",
    312: "Installation Successful",
    313: "Installation Unnecessary",
    320: "The following applications should be closed before continuing the install:",
}
GERMAN = {306: "Ihre Version von %s ist aktuell, dieses %s ist nicht nötig.",
          311: "Installationsfehler", 313: "Installation nicht erforderlich"}


def text(value):
    out = bytearray()
    for character in value:
        code = ord(character)
        if 2 <= code <= 0xFF:
            out.append(code)
        else:
            out += b"\x01" + code.to_bytes(2, "little")
    return bytes(out) + b"\0"


def texts(*values):
    return b"".join(text(value) for value in values)


def number(value, size):
    return (value % (1 << (8 * size))).to_bytes(size, "little")


def choice(options, value):
    return bytes([options.index(value)])


# --- option scan: the arguments, the program first ---

def option_scan():
    lists = {
        "no_options": [],
        "quiet": ["/q"],
        "quiet_extract_to": ["/Q", "/e", "C:\\Out\\patch.msp"],
        "extract_takes_list_word": ["/e", "/i", "/q"],
        "list_stops_the_scan": ["/i", "/q", "/e", "C:\\Out\\x.msp"],
        "extract_without_path": ["/q", "/E"],
        "near_misses": ["/quiet", "-q", "/ q", "q", "/", "", "/e2", "/ii"],
        "two_extractions": ["/e", "D:\\with space\\first.msp", "/e"],
        "non_ascii": ["\u0130", "/q\u0000", "/\u0131", "/\uff51"],
    }
    return {name: texts(PROGRAM, *arguments) for name, arguments in lists.items()}


# --- message fill: capacity (2), value count (1), error code (4), text, values ---

def message_fill():
    def fill(capacity, code, message, *values):
        return number(capacity, 2) + bytes([len(values)]) + number(code, 4) + texts(message, *values)
    return {
        "error_text": fill(1536, 1603, ENGLISH[300], "service pack"),
        "two_values": fill(1024, 0, ENGLISH[306], "Korvanta Ledger", "service pack"),
        "short_capacity": fill(20, -2147024894, ENGLISH[300], "service pack"),
        "capacity_zero": fill(0, 5, "no placeholders here"),
        "capacity_one": fill(1, 5, "%s", "x"),
        "more_placeholders_than_values": fill(64, 3010, "%s%s%s%s%s %d %%d 100% %", "a", "%s", "%d", ""),
        "value_longer_than_capacity": fill(513, 1, "[%s] %s", "v" * 600, "w"),
        "percent_at_end": fill(8, -1, "%d%"),
    }


# --- reporter: flags, message, UI language, selected locale, last error, product name, entries ---

MESSAGE_IDS = [300, 301, 302, 303, 306, 307, 308, 311, 312, 313, 316, 320, 0]
LOCALES = [1033, 1031, 0x10407, 1036, 0]


def reporter():
    def scenario(message_id, product, tables, flags=0, ui=1033, locale=1033, last_error=0):
        entries = b"".join(choice(LOCALES, language) + choice(MESSAGE_IDS, string_id) + text(value)
                           for language, table in tables.items() for string_id, value in table.items())
        return (bytes([flags]) + choice(MESSAGE_IDS, message_id) + choice(LOCALES, ui) +
                choice(LOCALES, locale) + number(last_error, 4) + text(product) + entries)
    english = {1033: ENGLISH}
    return {
        "installation_error": scenario(300, "", english, last_error=1603),
        "all_patched": scenario(316, "Korvanta Ledger", english),
        "up_to_date_german": scenario(303, "Korvanta Büro", {1033: ENGLISH, 1031: GERMAN}, flags=2,
                                      locale=0x10407),
        "programs_running_long_name": scenario(302, "P" * 1500, english, last_error=1625),
        "quiet": scenario(300, "", english, flags=1),
        "no_english_version": scenario(308, "Korvanta Ledger", {1036: {308: "%s ne convient pas à %s"}},
                                       ui=1036),
        "unknown_message": scenario(0, "x", english),
        "text_with_nul": scenario(300, "", {1033: {300: "Fehler %d\u0000 hidden %s", 311: "Error"}},
                                  last_error=0x80070002),
    }


# --- driver: flags, UI level, package, temporary directory, targets, patch code, files-in-use
#     text, then products ---

UI_LEVELS = [5, 2, 3, 4, 0x23]
STATES = [5, 1, 2, -1, 3]
ORDERS = [0, 1, -1]
STATUSES = [0, 1]
SEQUENCE_RESULTS = [0, 1605, 1627]
CONFIGURE_RESULTS = [0, 3010, 1641, 1625, 1603, 1618, 1605, 5]


def product(entry, name, state=5, flags=0, order=0, status=0, sequence=0, configure=0,
            language="1033", version="12.2.0.3", locale_id="1033"):
    fields = bytes([entry]) + choice(STATES, state) + bytes([flags]) + choice(ORDERS, order) + \
        choice(STATUSES, status) + choice(SEQUENCE_RESULTS, sequence) + \
        choice(CONFIGURE_RESULTS, configure)
    version_text = b"" if flags & 0x08 else text(version)
    return fields + texts(name, language) + version_text + text(locale_id)


def driver():
    def scenario(products, flags=0, ui=5, package=PACKAGE, temp=TEMP,
                 targets=";".join([LEDGER, PAYROLL, ARCHIVE]), files_in_use=ENGLISH[320]):
        return (bytes([flags]) + choice(UI_LEVELS, ui) +
                texts(package, temp, targets, PATCH_CODE, files_in_use) + b"".join(products))
    return {
        "one_of_three_needs_it": scenario([product(0, "Korvanta Ledger"),
                                           product(1, "Korvanta Payroll", flags=0x04)]),
        "empty_entry_ends_list": scenario([product(0, "Korvanta Ledger"), product(2, "Korvanta Payroll")],
                                          targets=LEDGER + ";;" + PAYROLL),
        "restarts": scenario([product(0, "Ledger", configure=3010), product(1, "Payroll", configure=1641),
                              product(2, "Archive", configure=0)]),
        "programs_running": scenario([product(0, "Ledger", configure=1625)], ui=2),
        "quoting": scenario([product(0, "Ledger \"Pro\"", locale_id="x\" PATCH=evil",
                                     language="1031")],
                            package="C:\\Temp dir\\a \"b\".msp", temp="C:\\Temp dir\\",
                            files_in_use="Close \"these\" now: PATCH=x"),
        "long_temporary_directory": scenario([product(0, "Console Ledger " * 20)],
                                             temp="C:\\" + "t" * 240 + "\\"),
        "extraction_fails": scenario([product(0, "Ledger")], flags=0x01),
        "up_to_date": scenario([product(0, "Ledger", flags=0x08)]),
        "no_temporary_directory": scenario([product(0, "Ledger")], flags=0x04, ui=0x23),
        "does_not_fit": scenario([product(0, "Ledger", status=1), product(1, "Payroll", sequence=1605),
                                  product(2, "Archive", order=-1)]),
        "advertised_without_locale": scenario([product(0, "Ledger", state=1, flags=0x01),
                                               product(1, "Payroll", flags=0x02)]),
        "unreadable_package": scenario([product(0, "Ledger")], flags=0x08),
    }


# --- configure arguments: package, LOCALEID, files-in-use text, product name, temporary directory ---

def configure_arguments():
    cases = {
        "typical": (PACKAGE, "1033", ENGLISH[320], "Korvanta Ledger 12", TEMP),
        "short_locale_id": (PACKAGE, "0", ENGLISH[320], "Korvanta Ledger", TEMP),
        "quotes_everywhere": ("C:\\a \"b\"\\p.msp", "10\"33", "\"\"", "\"Pro\"", TEMP),
        "locale_injection": (PACKAGE, "1 PATCH=C:\\evil.msp", "x", "Ledger", TEMP),
        "forbidden_characters": (PACKAGE, "", "", "A/B: <1>|?*\\x\ttab", TEMP),
        "device_names": (PACKAGE, "1031", "", "nul.txt", TEMP),
        "long_temporary_directory": (PACKAGE, "1033", "", "Korvanta Ledger", "C:\\" + "t" * 240 + "\\"),
        "room_for_three_characters": (PACKAGE, "1033", "", "Korvanta Ledger", "C:\\" + "t" * 248 + "\\"),
        "no_room_for_a_name": (PACKAGE, "1033", "", "Korvanta Ledger", "C:\\" + "t" * 251 + "\\"),
        "surrogate_pair": (PACKAGE, "1041", "", "Ledger \ud83d\ude00" * 60, TEMP),
        "no_directory": (PACKAGE, "", "", "Ledger", ""),
    }
    return {name: texts(*fields) for name, fields in cases.items()}


def main():
    targets = {"option_scan": option_scan, "message_fill": message_fill, "reporter": reporter,
               "driver": driver, "configure_arguments": configure_arguments}
    for target, seeds in targets.items():
        directory = CORPUS / target
        shutil.rmtree(directory, ignore_errors=True)
        directory.mkdir(parents=True)
        for name, data in seeds().items():
            (directory / name).write_bytes(data)


if __name__ == "__main__":
    main()
