"""The wrapper's message boxes as MessageBoxW receives them, through the real string loader."""
import pytest

import harness
import pe

PROBE = harness.PROBES / "message_probe.exe"
ERROR_STYLE, INFORMATION_STYLE = 0x50010, 0x50040


@pytest.fixture(scope="module")
def table():
    return pe.read(PROBE).string_tables()


def show(prefix, message, *options, env=None):
    run = prefix.run(PROBE, [str(message), *map(str, options)], env=env)
    assert run.exit_code == 0
    return run.boxes


def test_error_shows_the_word_and_the_installer_code(shared_prefix, table):
    [(text, caption, style)] = show(shared_prefix, 300, "--error", 1603)
    assert text == table[1033][300].replace("%s", "service pack").replace("%d", "1603")
    assert "service pack" in text and text.endswith("Error Code: 1603")
    assert caption == "Installation Error" and style == ERROR_STYLE


@pytest.mark.parametrize("language", [1031, 1038, 1042, 1045, 1049])
def test_languages_that_name_the_package_in_words_show_only_the_code(shared_prefix, table, language):
    [(text, caption, style)] = show(shared_prefix, 300, "--language", language, "--error", 1625)
    expected = table[language][300].replace("%d", "1625")
    assert harness.same_text(text, expected)
    assert expected.endswith("1625") and "service pack" not in text
    assert caption == table[language][311] and style == ERROR_STYLE


def test_success_shows_text_301_without_the_product(shared_prefix):
    [(text, caption, style)] = show(shared_prefix, 316, "--product", "Korvanta Ledger")
    assert text == "The service pack has been successfully installed."
    assert caption == "Installation Successful" and style == INFORMATION_STYLE


def test_nothing_to_do_and_up_to_date_are_one_box(shared_prefix):
    nothing = show(shared_prefix, 303, "--product", "Korvanta Ledger")
    current = show(shared_prefix, 306, "--product", "Korvanta Ledger")
    assert nothing == current == [("Your version of Korvanta Ledger is up-to-date and this service pack is not "
                                   "necessary.", "Installation Unnecessary", INFORMATION_STYLE)]


def test_a_text_the_language_lacks_shows_empty_under_its_caption(shared_prefix, table):
    [(text, caption, style)] = show(shared_prefix, 302, "--language", 1028, "--product", "Ledger")
    assert text == "" and caption == table[1028][311] and style == ERROR_STYLE


def test_quiet_shows_no_box_at_all(shared_prefix):
    for message in (300, 302, 303, 306, 307, 308, 316):
        run = shared_prefix.run(PROBE, [str(message), "--quiet", "--error", "1603"])
        assert run.called("MessageBoxW") == []


def test_a_language_the_table_lacks_gets_english(shared_prefix):
    [(text, caption, _)] = show(shared_prefix, 316, "--language", 1043)  # Dutch
    assert (text, caption) == ("The service pack has been successfully installed.", "Installation Successful")


def test_the_product_language_wins_over_the_user_interface_language(shared_prefix, table):
    [(text, caption, _)] = show(shared_prefix, 308, "--language", 1041, "--product", "会計")
    assert caption == table[1041][311]
    first, second, rest = table[1041][308].split("%s")
    assert harness.same_text(text, f"{first}service pack{second}会計{rest}") and "会計" in text


def test_before_any_product_the_user_interface_language_holds(prefix, table):
    [(_, caption, _)] = show(prefix, 300, env={"LANG": "de_DE.UTF-8"})
    assert caption == table[1031][311]
    # A product whose language is no number (0) brings it back.
    [(_, caption, _)] = show(prefix, 300, "--language", 1041, "--language", 0, env={"LANG": "de_DE.UTF-8"})
    assert caption == table[1031][311]


@pytest.mark.parametrize("language, version", [
    (3084, 1036),  # French, Canada
    (2070, 1046),  # Portuguese, Portugal
    (3076, 1028),  # Chinese, Hong Kong: traditional characters
    (4100, 2052),  # Chinese, Singapore: simplified characters
])
def test_a_language_the_table_lacks_gets_its_familys_version(shared_prefix, table, language, version):
    [(text, caption, _)] = show(shared_prefix, 306, "--language", language, "--product", "Ledger")
    assert caption == table[version][313]
    assert harness.same_text(text, table[version][306].replace("%s", "Ledger", 1).replace("%s", "service pack", 1))


def test_product_names_are_shown_verbatim(shared_prefix):
    name = "Evil %s%d%n%% \n<name>"
    [(text, _, _)] = show(shared_prefix, 308, "--product", name)
    assert text == ("This service pack could not be installed because it is not designed for the version of "
                    f"{name} that is installed on your computer.")
