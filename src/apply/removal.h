#pragma once
// The removal mode ("/uninstall"): takes the embedded patch back from every target product
// that has it, or from none.
#include "driver.h"

namespace apply {

DriverResult RemovePatchFromProducts(const RunContext& run);

}  // namespace apply
