"""The demo patch and the four demo products it targets, in one place: make_demo_package.sh
writes resources/demo.msp from this, and the tests build the same products from it with
tests/wine/products.build_product."""
import dataclasses
import typing


@dataclasses.dataclass(frozen=True)
class DemoProduct:
    product_code: str
    name: str
    language: int
    locale_id: typing.Optional[str]  # None: the product has no LOCALEID property


UPGRADE_CODE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A00}"
OLD_VERSION = "12.2.0.3"
NEW_VERSION = "12.2.0.4"
PATCH_CODE = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}"
OBSOLETED_PATCH_CODES = ("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B00}",)

PRODUCTS = (
    DemoProduct("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}", "Korvanta Demo", 1033, None),
    DemoProduct("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}", "Korvanta Demo (Deutsch)", 1031, "1031"),
    DemoProduct("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A03}", "Korvanta Demo (日本語)", 1041, "1041"),
    DemoProduct("{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A04}", "Korvanta Demo (Русский)", 1049, "1049"),
)


def patch_targets():
    """(product code, upgrade code, old version) of each demo product, as the patch lists them."""
    return [(product.product_code, UPGRADE_CODE, OLD_VERSION) for product in PRODUCTS]
