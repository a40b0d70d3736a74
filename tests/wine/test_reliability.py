"""make reliability's write-up counts the cases that ran: a run in which every case skipped
(all of a build this machine cannot run) tried nothing and is never written up as held."""
import reliability


def case(outcome, reason=""):
    return reliability.Case("test_faults.py::test_a", "a case", outcome, 0.1, reason)


def test_only_cases_that_ran_count_towards_what_held():
    lines, held = reliability.tally([case("skipped", "this kernel cannot run 32-bit programs")] * 3)
    assert not held
    assert lines[0] == "No case ran: all 3 skipped, so nothing here was tried."
    assert "- a case: this kernel cannot run 32-bit programs" in lines

    lines, held = reliability.tally([case("passed"), case("passed"), case("skipped", "only a 32-bit maker")])
    assert held and lines[0] == "2 of 2 cases that ran held; 1 skipped."

    lines, held = reliability.tally([case("passed"), case("failed")])
    assert not held and lines[0] == "1 of 2 cases that ran held." and "- a case (failed)" in lines
