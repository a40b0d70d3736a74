#include "product_list.h"

#include "summary.h"

namespace package {

bool ShowTargetProductList(Platform& platform, msi::Installer& installer)
{
    constexpr std::uint32_t ListStyle = 0x50000;  // MB_OK|MB_SETFOREGROUND|MB_TOPMOST
    std::wstring packagePath;
    std::wstring targets;
    const bool extracted = platform.ExtractPatchPackage(packagePath);
    const bool read = PackageReader{platform, installer}.ReadTargetProductCodes(packagePath, targets);
    platform.ShowMessageBox(targets, L"List of Products", ListStyle);
    return extracted && read;
}

}  // namespace package
