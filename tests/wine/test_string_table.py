"""The compiled string table of both builds: every language holds the ids it must, each text
within bounds and with exactly the placeholders its message fills."""
import re

import pytest

import harness
import pe

IDS = [300, 301, 302, 306, 307, 308, 309, 310, 311, 312, 313, 320, 321, 322, 323, 324, 325, 326, 327, 330, 331]
LANGUAGES = {1028: "zh-TW", 1029: "cs", 1031: "de", 1033: "en", 1034: "es", 1036: "fr", 1038: "hu",
             1040: "it", 1041: "ja", 1042: "ko", 1045: "pl", 1046: "pt-BR", 1049: "ru", 2052: "zh-CN"}
ENGLISH = {
    300: "A problem prevented the %s from being installed. Contact your system administrator. \n\n Error Code: %d",
    301: "The %s has been successfully installed.",
    302: "The installer has detected that the following programs\nare running.\n\n%s\nIn order to complete "
         "installation, these programs must\nbe closed.\n%s",
    306: "Your version of %s is up-to-date and this %s is not necessary.",
    307: "The %s could not be installed because the expected Korvanta product could not be located on your "
         "computer.\nMake sure that you are using the correct %s for the product.",
    308: "This %s could not be installed because it is not designed for the version of %s that is installed on "
         "your computer.",
    309: "The command line that you supplied is incorrect. Please check it for errors.",
    310: "You must supply a patch list with the command line to install this %s installation.",
    311: "Installation Error",
    312: "Installation Successful",
    313: "Installation Unnecessary",
    320: "The following applications should be closed before continuing the install:",
    321: "The %s has been successfully removed.",
    322: "The %s is not installed on this computer. There is nothing to remove.",
    323: "The %s cannot be removed from %s.",
    324: "A problem prevented the %s from being removed. Contact your system administrator. \n\n Error Code: %d",
    325: "Removal Successful",
    326: "Removal Unnecessary",
    327: "Removal Error",
    330: "Usage: [options]\n\n/q\tno message boxes\n/quiet\tno message boxes, no installer window\n/passive\tno "
         "message boxes, installer progress only\n/norestart\tnever restart the computer; exit code 3010 "
         "instead\n/uninstall, /x\tremove the service pack\n/log <file>\twrite the run log to <file>\n/e "
         "<path>\textract the patch package only\n/i\tlist the target products only\n/?, /help\tshow this "
         "help\n\nExit codes: 0 success, 3010 restart required, 1641 restart started, 1618 another installation "
         "is running, 1642 no target product installed, 1646 cannot be removed, any other: failure.",
    331: "Service Pack Options",
}
# Where a translation's placeholders differ from the English ones.
NAMED_IN_WORDS = ("hu", "ko", "pl", "ru")
DIFFERENT = {
    (300, "de"): "d", (300, "hu"): "d", (300, "ko"): "d", (300, "pl"): "d", (300, "ru"): "d",
    (301, "pt-BR"): "ss",
    **{(306, lang): "s" for lang in NAMED_IN_WORDS},
    **{(307, lang): "" for lang in NAMED_IN_WORDS},
    (307, "es"): "s", (307, "ja"): "sss",
    **{(308, lang): "s" for lang in NAMED_IN_WORDS},
    (308, "it"): "sss", (308, "zh-CN"): "sss",
    **{(310, lang): "" for lang in NAMED_IN_WORDS},
    **{(322, lang): "" for lang in NAMED_IN_WORDS},
    **{(324, lang): "d" for lang in ("de", *NAMED_IN_WORDS)},
}
# The most characters a text may hold: what a load into the reporter's 512-character buffer
# keeps, and for the usage text, which is loaded into a larger one, fewer than 1000.
LONGEST = {330: 999}


def placeholders(text):
    return "".join(m.group(1) for m in re.finditer(r"%(.)", text))


def usage_shape(text):
    """What every language's usage text keeps of the English one: its lines, blank where those
    are; each option as written before its tab, a <name> standing for whatever the language
    calls it, and one name to a line; the tabs; the numbers."""
    shape = []
    for line in text.split("\n"):
        names = set(re.findall(r"<[^<>]+>", line))
        plain = re.sub(r"<[^<>]+>", "<>", line)
        option, tab, description = plain.partition("\t")
        shape.append((bool(line), option if tab else None, plain.count("\t"), description.count("<>"),
                      len(names), re.findall(r"[0-9]+", plain)))
    return shape


@pytest.fixture(scope="module", params=["stub", "wrapper"])
def tables(request):
    return pe.read(harness.STUB if request.param == "stub" else harness.WRAPPER).string_tables()


def test_every_language_holds_exactly_its_ids(tables):
    assert set(tables) == set(LANGUAGES)
    for language, texts in tables.items():
        expected = [i for i in IDS if not (language == 1028 and i == 302)]
        assert sorted(texts) == expected, LANGUAGES[language]


def test_english_is_as_written(tables):
    assert tables[1033] == ENGLISH


@pytest.mark.parametrize("language", sorted(LANGUAGES), ids=lambda l: LANGUAGES[l])
def test_translations_keep_their_placeholders_and_bounds(tables, language):
    name = LANGUAGES[language]
    for string_id, text in tables[language].items():
        expected = DIFFERENT.get((string_id, name), placeholders(ENGLISH[string_id]))
        assert placeholders(text) == expected, (name, string_id, text)
        assert len(text) <= LONGEST.get(string_id, 511), (name, string_id)
        assert "\r" not in text and text.strip(), (name, string_id)
        assert "Korvanta" in text or string_id != 307, (name, string_id)
    assert '"' not in tables[language][320], name
    assert "%" not in tables[language][330], name
    assert usage_shape(tables[language][330]) == usage_shape(ENGLISH[330]), name
    if language != 1033:
        assert all(tables[language][i] != ENGLISH[i] for i in (300, 301, 311, *range(321, 328), 330, 331)), name


def test_the_reviewed_wordings(tables):
    # German 310: "dieses" with the word in the accusative, not a genitive it cannot take.
    assert tables[1031][310] == "Um dieses %s zu installieren, müssen Sie in der Befehlszeile eine Patchliste angeben."
    # Russian 306: cause and result joined by "поэтому", not a bare comma.
    assert tables[1049][306] == ("Установленная версия %s актуальна, поэтому установка этого пакета обновления "
                                 "не требуется.")
    # Czech and Polish 307: Korvanta is the product's name, not a company's.
    assert "očekávaný produkt Korvanta" in tables[1029][307] and "společnosti" not in tables[1029][307]
    assert "oczekiwanego produktu Korvanta" in tables[1045][307] and "firmy" not in tables[1045][307]
