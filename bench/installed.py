"""Demo products built once per bench run and installed into the bench's prefixes, and timed runs
each in a fresh copy of such a prefix."""
import functools

import project
import demo_products as demo
import products
import trials
import wine_session

PRODUCT_DIR = project.WORK / "products"


@functools.cache
def _package(product, version):
    return products.build_product(PRODUCT_DIR, product.product_code, product.name, version,
                                  demo.UPGRADE_CODE, product.language, product.locale_id)


def install(prefix, product, version=demo.OLD_VERSION):
    products.install_product(prefix, _package(product, version))


def prepared(name, installed, version=demo.OLD_VERSION):
    """A copy of the bench's base prefix with `installed` in it, its server stopped so that the
    registry is on disk for copies made from it."""
    prefix = wine_session.clone(name)
    try:
        for product in installed:
            install(prefix, product, version)
    finally:
        prefix.stop()
    return prefix


def version(prefix, product):
    return products.query(prefix, "info", product.product_code, "VersionString")


def in_fresh_copy(name, prepared_prefix, arguments, check):
    """A variant whose every run gets its own copy of `prepared_prefix` (so that each finds the
    products as they were prepared), runs `arguments(copy)`, must end with exit code 0 and pass
    `check(copy)`; the copy is removed once it is checked."""
    def prepare():
        prefix = wine_session.clone("run", base=prepared_prefix.path)

        def finish(sample):
            try:
                trials.expect(sample.exit_code == 0, f"{name}: exit code {sample.exit_code}")
                check(prefix)
            finally:
                prefix.remove()
        return trials.Trial(arguments(prefix), prefix.env, finish)
    return trials.Variant(name, prepare)
