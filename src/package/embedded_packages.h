#pragma once
// Which packages the wrapper carries: the one of a wrapper made from one patch, or a vendor's
// set. Every mode asks this first, so that a set is told from one patch in one place.
#include <optional>
#include <string>
#include <vector>

#include "embedded_resources.h"
#include "platform/platform.h"

namespace package {

struct EmbeddedPackages {
    // "IDR_MSP", or a set's "IDR_MSP1" to "IDR_MSP<n>", in the set's order.
    std::vector<std::wstring> resourceNames;
    // A set's file names and up-to-date versions; none for one patch, whose version is the
    // wrapper's "IDR_MSPVERSION".
    std::optional<PackageSet> set;
};

// ERROR_INVALID_DATA: a set resource that cannot be decoded.
constexpr std::uint32_t DamagedSet = 13;

// No value when the wrapper has a set resource that is damaged (DecodePackageSet refuses it);
// the last-error value is then DamagedSet. A wrapper without one carries one patch.
std::optional<EmbeddedPackages> ReadEmbeddedPackages(Platform& platform);

}  // namespace package
