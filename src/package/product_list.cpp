#include "product_list.h"

#include "embedded_packages.h"
#include "summary.h"

namespace package {

bool ShowTargetProductList(Platform& platform, msi::Installer& installer, bool windowsVisible)
{
    constexpr std::uint32_t ListStyle = 0x50000;  // MB_OK|MB_SETFOREGROUND|MB_TOPMOST
    const std::optional<EmbeddedPackages> embedded = ReadEmbeddedPackages(platform);
    bool read = embedded.has_value();
    std::wstring text;
    for (std::size_t i = 0; embedded && i < embedded->resourceNames.size(); ++i) {
        std::wstring packagePath;
        std::wstring targets;
        // A file that is not the whole package, or none at all, never reaches the installer.
        read = platform.ExtractPatchPackage(embedded->resourceNames[i], packagePath) &&
               PackageReader{platform, installer}.ReadTargetProductCodes(packagePath, targets) && read;
        if (embedded->set)
            text += (i ? L"\n" : L"") + embedded->set->fileNames[i] + L": " + targets;
        else
            text = targets;
    }
    if (windowsVisible)
        platform.ShowMessageBox(text, L"List of Products", ListStyle);
    return read;
}

}  // namespace package
