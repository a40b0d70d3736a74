"""Goal 5: the wrapper's inventory for target lists of 10, 100 and 1000 product codes, none of
them installed and one of them installed, run with "/q".

The installed product is already at the version the patch brings, so a run takes the whole
inventory, that product's queries included (state, version, name, language, locale, patch
sequence and patch state), and then stops without configuring anything: the prefix stays as
it was, and every run can use the same one."""
import statistics
import uuid

import project
import demo_products as demo
import harness
import installed
import products
import report
import trials
import wine_session

SIZES = (10, 100, 1000)
ROUNDS = 15
# Allowed growth of the cost per code from 100 to 1000 codes before the growth counts as
# more than linear; the 100-code figure is taken at its upper quartile, as its difference to
# the 10-code runs is small against the rounds' spread.
LINEAR_SLACK = 1.5
INSTALLED = demo.PRODUCTS[0]
PATCH_CODE = "{3F0A6C2E-8B1D-4E57-A9C4-5D2E7B1F0C01}"
CODE_NAMESPACE = uuid.UUID("3f0a6c2e-8b1d-4e57-a9c4-5d2e7b1f0c00")
SCRATCH = project.WORK / "scaling"
CASES = (("none installed", False), ("one installed", True))


def target_codes(count, with_installed):
    """`count` codes, the installed product's last when it is one of them."""
    made = count - 1 if with_installed else count
    codes = ["{%s}" % str(uuid.uuid5(CODE_NAMESPACE, str(i))).upper() for i in range(made)]
    return codes + [INSTALLED.product_code] if with_installed else codes


def _name(count, case):
    return f"{count} codes, {case}"


def _wrapper(prefix, count, case, with_installed):
    stem = SCRATCH / _name(count, case).replace(", ", "-").replace(" ", "-")
    package = products.build_patch(
        stem.with_suffix(".msp"), PATCH_CODE, [(INSTALLED.product_code, demo.UPGRADE_CODE, demo.OLD_VERSION)],
        targets_text=";".join(target_codes(count, with_installed)), prefix=prefix)
    return harness.rewrap(prefix, package, stem.with_suffix(".exe"), wine_session.DEMO_WRAPPERS[project.ARCH])


def _variant(prefix, count, case, with_installed):
    name = _name(count, case)
    command = [project.LOADER, _wrapper(prefix, count, case, with_installed), "/q"]
    exit_code = 0 if with_installed else trials.linux_exit_code(1642)

    def finish(sample):
        trials.expect(sample.exit_code == exit_code, f"{name}: exit code {sample.exit_code}, not {exit_code}")
    return trials.Variant(name, lambda: trials.Trial(command, prefix.env, finish))


def _per_code(samples, count, case):
    """Cost per code above the 10-code list, round by round."""
    base = _name(SIZES[0], case)
    return [d / (count - SIZES[0]) for d in samples.differences(_name(count, case), base)]


def _row(figure, *columns):
    return report.Row("5 scaling", project.tagged(figure), *columns)


def _case_rows(samples, case):
    """(linear?, rows) for one case."""
    small, large = (_per_code(samples, count, case) for count in SIZES[1:])
    small_median, large_median = statistics.median(small), statistics.median(large)
    small_upper = trials.quartiles(small)[1]
    linear = large_median <= LINEAR_SLACK * small_upper
    base = _name(SIZES[0], case)
    rows = [_row(f"inventory, {base}", report.seconds(samples.median(base)))]
    rows += [_row(f"inventory, {_name(count, case)}", report.seconds(samples.median(_name(count, case))))
             for count in SIZES[1:]]
    rows += [
        _row(f"cost per code, {SIZES[1]} codes, {case}", report.milliseconds(small_median),
             f"quartiles {report.milliseconds(trials.quartiles(small)[0])} to {report.milliseconds(small_upper)}"),
        _row(f"cost per code, {SIZES[2]} codes, {case}", report.milliseconds(large_median),
             f"{SIZES[1]} codes, upper quartile {report.milliseconds(small_upper)}",
             report.ratio(large_median / small_upper) if small_upper > 0 else "n/a",
             f"≤ {LINEAR_SLACK:.2f}× (linear)", report.verdict(linear)),
    ]
    return linear, rows


def measure():
    SCRATCH.mkdir(parents=True, exist_ok=True)
    prefix = installed.prepared("scaling", [INSTALLED], demo.NEW_VERSION).keep_running()
    try:
        variants = [_variant(prefix, count, case, with_installed)
                    for case, with_installed in CASES for count in SIZES]
        samples = trials.interleave(variants, ROUNDS, label="scaling")
    finally:
        prefix.remove()
    results = [_case_rows(samples, case) for case, _ in CASES]
    met = all(linear for linear, _ in results)
    one_more = statistics.median(samples.differences(_name(SIZES[0], CASES[1][0]), _name(SIZES[0], CASES[0][0])))
    rows = [row for _, case_rows in results for row in case_rows]
    rows.append(_row("one installed product's queries (10 codes)", report.milliseconds(one_more)))
    notes = [
        "Each list is a patch built by patchbuilder with that target list (summary property 7) and "
        f"carried by a copy of {wine_session.DEMO_WRAPPERS[project.ARCH].relative_to(project.ROOT)} with its package replaced "
        "(harness.rewrap); the codes are made up, the installed product's code is the last of its list.",
        f"Cost per code: the time of a run minus the 10-code run of the same round, divided by the "
        f"codes added (90 or 990); medians of {samples.rounds} interleaved rounds of wall time of the "
        "whole Wine process, so the fixed start is subtracted out.",
        f"Linear: the cost per code at 1000 codes at most {LINEAR_SLACK}× that at 100 codes, taken at "
        "its upper quartile (90 codes add little against the run-to-run spread).",
    ]
    if not met:
        notes.append(f"{project.tagged('Bound')}: the cost per code grows with the length of the list; the 1000-code "
                     "lists pay more per code than the 100-code ones.")
    return report.Outcome("5. Scaling", met, rows, notes)
