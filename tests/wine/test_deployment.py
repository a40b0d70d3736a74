"""The wrapper as deployment engines run it: "/norestart" on the installer's command line, and a
window station no one sees, where a box would wait for a click that never comes."""
import pytest

import demo_products as demo
import harness
import products

ENGLISH, GERMAN = demo.PRODUCTS[:2]
# Runs a program on a window station of its own without WSF_VISIBLE (hidden_station.c), built
# beside the harness's launcher.
HIDDEN_STATION = harness.LAUNCHER.with_name("hidden_station.exe")
TIME_OUT = 90  # seconds; a run that shows a box there never ends by itself
ERROR_TIMEOUT = 1460
UI_BASIC_NO_CANCEL, UI_PROGRESS_ONLY = 0x23, 0x63


@pytest.fixture(scope="module")
def product_dir(tmp_path_factory):
    return tmp_path_factory.mktemp("products")


def install(prefix, product_dir, product):
    msi = products.build_product(product_dir, product.product_code, product.name, demo.OLD_VERSION,
                                 demo.UPGRADE_CODE, product.language, product.locale_id)
    products.install_product(prefix, msi)


def configured(run):
    return {c.args[0]: c.args[3] for c in run.called("MsiConfigureProductExW")}


def ui_level_at_configure(run):
    """The installer UI level in force at each MsiConfigureProductExW: the last one set before it."""
    levels, level = [], None
    for call in run.calls:
        if call.name == "MsiSetInternalUI":
            level = call.args[0]
        elif call.name == "MsiConfigureProductExW":
            levels.append(level)
    return levels


def version(prefix, product):
    return products.query(prefix, "info", product.product_code, "VersionString")


def test_norestart_keeps_the_installer_from_restarting_and_only_then(prefix, product_dir):
    install(prefix, product_dir, ENGLISH)
    run = prefix.run(harness.WRAPPER, ["/q", "/norestart"])
    assert run.exit_code == 0 and version(prefix, ENGLISH) == demo.NEW_VERSION
    [line] = configured(run).values()
    assert ui_level_at_configure(run) == [UI_BASIC_NO_CANCEL]  # Wine's own station is visible
    assert " REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=" in line

    # Without the option the command line is as it always was.
    install(prefix, product_dir, GERMAN)
    run = prefix.run(harness.WRAPPER, ["/q"])
    assert run.exit_code == 0 and version(prefix, GERMAN) == demo.NEW_VERSION
    assert list(configured(run)) == [GERMAN.product_code]
    line = configured(run)[GERMAN.product_code]
    assert " LOCALEID=1031 REBOOTPROMPT=SUPPRESS FILESINUSETEXT=" in line and "REBOOT=" not in line


def run_unseen(prefix, args=()):
    run = prefix.run(HIDDEN_STATION, [str(TIME_OUT), harness.windows_path(harness.WRAPPER), *args],
                     timeout=TIME_OUT + 60)
    assert "TIMEOUT" not in run.stdout, "the wrapper waited on the hidden station"
    assert "STATION-FLAGS=0" in run.stdout, run.stdout  # no WSF_VISIBLE there
    return run


def test_the_hidden_station_holds_a_box_until_the_time_out(prefix):
    # Wine's installer shows its usage in a box; on Wine's own station without a display that
    # box returns at once, on the hidden station it waits, as on a service's desktop.
    assert prefix.run(harness.LAUNCHER, ["msiexec", "/?"]).exit_code == 0
    run = prefix.run(HIDDEN_STATION, ["5", "msiexec", "/?"], timeout=60)
    assert run.exit_code == ERROR_TIMEOUT and "TIMEOUT" in run.stdout


def test_where_no_one_sees_a_window_a_default_run_shows_nothing_and_the_installer_only_progress(prefix, product_dir):
    install(prefix, product_dir, ENGLISH)
    run = run_unseen(prefix)
    assert run.exit_code == 0 and version(prefix, ENGLISH) == demo.NEW_VERSION
    # On a visible station this run ends with the "Installation Successful" box.
    assert run.called("MessageBoxW") == []
    assert list(configured(run)) == [ENGLISH.product_code]
    assert ui_level_at_configure(run) == [UI_PROGRESS_ONLY]
    assert [p for p in prefix.temp_dir.iterdir() if p.name.startswith("MSP")] == []


def test_where_no_one_sees_a_window_the_list_is_not_shown_either(prefix):
    run = run_unseen(prefix, ["/i"])
    assert run.exit_code == 0
    assert run.called("MessageBoxW") == []


def test_where_no_one_sees_a_window_a_failure_still_says_its_code(prefix):
    run = run_unseen(prefix)
    assert run.exit_code == 1642  # no target installed: the 307 box elsewhere
    assert run.called("MessageBoxW") == []


@pytest.mark.parametrize("option, level", [("/quiet", 2), ("/passive", UI_PROGRESS_ONLY), ("/q", UI_BASIC_NO_CANCEL)])
def test_the_engines_silent_words_set_the_installers_ui_and_show_no_box(prefix, product_dir, option, level):
    install(prefix, product_dir, ENGLISH)
    run = prefix.run(harness.WRAPPER, [option])
    assert run.exit_code == 0 and version(prefix, ENGLISH) == demo.NEW_VERSION
    assert run.boxes == []
    assert ui_level_at_configure(run) == [level]
