#include "product_list.h"

#include "summary.h"

namespace package {

bool ShowTargetProductList(Platform& platform, msi::Installer& installer, bool windowsVisible)
{
    constexpr std::uint32_t ListStyle = 0x50000;  // MB_OK|MB_SETFOREGROUND|MB_TOPMOST
    std::wstring packagePath;
    std::wstring targets;
    const bool extracted = platform.ExtractPatchPackage(packagePath);
    // A file that is not the whole package, or none at all, never reaches the installer.
    const bool read = extracted && PackageReader{platform, installer}.ReadTargetProductCodes(packagePath, targets);
    if (windowsVisible)
        platform.ShowMessageBox(targets, L"List of Products", ListStyle);
    return extracted && read;
}

}  // namespace package
