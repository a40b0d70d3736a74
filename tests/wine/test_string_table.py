"""The compiled string table of both builds: every language holds the ids it must, each text
within bounds and with exactly the placeholders its message fills."""
import re

import pytest

import harness
import pe

IDS = [300, 301, 302, 306, 307, 308, 309, 310, 311, 312, 313, 320]
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
}


def placeholders(text):
    return "".join(m.group(1) for m in re.finditer(r"%(.)", text))


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
        assert len(text) <= 243, (name, string_id)
        assert "\r" not in text and text.strip(), (name, string_id)
        assert "Korvanta" in text or string_id != 307, (name, string_id)
    assert '"' not in tables[language][320], name
    if language != 1033:
        assert all(tables[language][i] != ENGLISH[i] for i in (300, 301, 311)), name


def test_the_reviewed_wordings(tables):
    # German 310: "dieses" with the word in the accusative, not a genitive it cannot take.
    assert tables[1031][310] == "Um dieses %s zu installieren, müssen Sie in der Befehlszeile eine Patchliste angeben."
    # Russian 306: cause and result joined by "поэтому", not a bare comma.
    assert tables[1049][306] == ("Установленная версия %s актуальна, поэтому установка этого пакета обновления "
                                 "не требуется.")
    # Czech and Polish 307: Korvanta is the product's name, not a company's.
    assert "očekávaný produkt Korvanta" in tables[1029][307] and "společnosti" not in tables[1029][307]
    assert "oczekiwanego produktu Korvanta" in tables[1045][307] and "firmy" not in tables[1045][307]
