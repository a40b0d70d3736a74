#include "extract_mode.h"

#include "embedded_packages.h"
#include "platform/decimal.h"

namespace package {

namespace {

constexpr std::uint32_t FolderStyle = 0x50040;  // MB_OK|MB_ICONINFORMATION|MB_SETFOREGROUND|MB_TOPMOST

// The folder the set goes into, with its trailing separator; no value when it cannot be made.
std::optional<std::wstring> SetFolder(Platform& platform, runlog::RunLog& log, const std::wstring& path)
{
    if (path.empty()) {
        std::optional<std::wstring> folder = platform.CreateTemporaryFolder();
        if (!folder)
            log.Error(L"No new folder could be made in the temporary folder (error " + Decimal(platform.LastError()) +
                      L")");
        return folder;
    }
    if (!platform.CreateFolders(path)) {
        log.Error(L"The folder " + path + L" cannot be made (error " + Decimal(platform.LastError()) + L")");
        return std::nullopt;
    }
    const bool separated = path.back() == L'\\' || path.back() == L'/';
    return separated ? path : path + L'\\';
}

bool ExtractSet(Platform& platform, runlog::RunLog& log, const EmbeddedPackages& embedded, const std::wstring& path,
                bool showFolder)
{
    const std::optional<std::wstring> folder = SetFolder(platform, log, path);
    if (!folder)
        return false;
    for (std::size_t i = 0; i < embedded.resourceNames.size(); ++i) {
        std::wstring file = *folder + embedded.set->fileNames[i];
        if (!platform.ExtractPatchPackage(embedded.resourceNames[i], file)) {
            log.Error(L"The patch package " + embedded.set->fileNames[i] + L" could not be written to " + file +
                      L" (error " + Decimal(platform.LastError()) + L")");
            return false;
        }
        log.Info(L"Patch package written: " + file);
    }
    log.Info(L"The patch packages are in " + *folder);
    if (path.empty() && showFolder)
        platform.ShowMessageBox(*folder, L"Patch Packages", FolderStyle);
    return true;
}

}  // namespace

bool ExtractEmbeddedPackages(Platform& platform, runlog::RunLog& log, const std::wstring& path, bool showFolder)
{
    const std::optional<EmbeddedPackages> embedded = ReadEmbeddedPackages(platform);
    if (!embedded) {
        log.Error(L"The wrapper's set resource is damaged");
        return false;
    }
    if (embedded->set)
        return ExtractSet(platform, log, *embedded, path, showFolder);
    std::wstring file = path;
    return platform.ExtractPatchPackage(embedded->resourceNames[0], file);
}

}  // namespace package
