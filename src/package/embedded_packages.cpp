#include "embedded_packages.h"

namespace package {

std::optional<EmbeddedPackages> ReadEmbeddedPackages(Platform& platform)
{
    const std::optional<std::vector<std::byte>> bytes = platform.EmbeddedSetResource();
    if (!bytes)
        return EmbeddedPackages{{PackageResourceName}, std::nullopt};
    std::optional<PackageSet> set = DecodePackageSet(*bytes);
    if (!set) {
        platform.SetLastErrorValue(DamagedSet);
        return std::nullopt;
    }
    EmbeddedPackages packages;
    for (std::size_t i = 0; i < set->fileNames.size(); ++i)
        packages.resourceNames.push_back(SetPackageResourceName(i));
    packages.set = std::move(set);
    return packages;
}

}  // namespace package
