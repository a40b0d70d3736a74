// svcpack-make: makes a wrapper for one patch from the stub, checking the patch first and
// taking the up-to-date version from it. Each refusal is one line on stderr and an exit code
// of its own (see the usage text).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "file_paths_win.h"
#include "installer/msi_library_win.h"
#include "maker/patch/patch_checks.h"
#include "maker/patch/patch_metadata_win.h"
#include "maker/patch/patch_removal.h"
#include "maker/patch/patch_storage_win.h"
#include "maker/patch/patch_transforms.h"
#include "maker/patch/up_to_date_version.h"
#include "maker/release/detection_rule.h"
#include "maker/release/exit_codes.h"
#include "maker/release/report.h"
#include "maker/wrapper/icon_file.h"
#include "maker/wrapper/icon_resources_win.h"
#include "maker/wrapper/mapped_file_win.h"
#include "maker/wrapper/version_info.h"
#include "maker/wrapper/wrapper_writer_win.h"
#include "package/compound_file.h"
#include "package/embedded_resources.h"
#include "package/summary.h"
#include "platform/console_output_win.h"
#include "platform/decimal.h"
#include "platform/path_names_win.h"
#include "platform/system_library_win.h"
#include "platform/unique_handle_win.h"

namespace maker {

namespace {

struct Refusal {
    ExitCode code;
    std::wstring line;
};

// "error 2: The system cannot find the file specified."
std::wstring SystemError(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = L"error " + Decimal(error);
    if (length) {
        std::wstring described(text, length);
        while (!described.empty() && (described.back() == L'\n' || described.back() == L'\r' || described.back() == L' '))
            described.pop_back();
        message += L": " + described;
    }
    LocalFree(text);
    return message;
}

// A 32-bit maker runs out of address space long before the machine runs out of memory: the
// package is mapped whole, and the resource writer holds copies of it besides. That is no
// fault of the package, and the 64-bit maker makes the same wrapper.
constexpr bool ThirtyTwoBit = sizeof(void*) == 4;

bool IsMemoryError(DWORD error) { return error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY; }

// A step failing for want of memory in a 32-bit maker, or the resource writer refusing to take
// the resources in without a reason (as Wine's does for a package of 1 GiB; a write to a full
// disk fails later, when the update is committed).
bool OutOfAddressSpace(const WriteOutcome& written)
{
    return ThirtyTwoBit && (IsMemoryError(written.error) || (written.whileAddingResources && written.error == ERROR_SUCCESS));
}

Refusal TooLarge(const std::wstring& package)
{
    return {TooLargeForThisMaker, RefusalLine(package, L"is too large for the 32-bit maker; x64\\svcpack-make.exe "
                                                       L"makes its wrapper on 64-bit Windows")};
}

// The package as the wrapper will see it, with what the patch says about itself.
struct CheckedPatch {
    std::vector<std::wstring> targets;
    std::wstring patchCode;
    std::vector<TransformProducts> products;
};

std::optional<Refusal> CheckPaths(const Arguments& arguments, const std::wstring& stub)
{
    if (SameFile(arguments.output, stub))
        return Refusal{UsageError, RefusalLine(arguments.output, L"is the stub itself; name a new file for the wrapper")};
    if (SameFile(arguments.output, arguments.package))
        return Refusal{UsageError, RefusalLine(arguments.output, L"is the patch package itself; name a new file for the wrapper")};
    // Loaded as data only, so nothing of it runs; Wine's resource writer would take any file.
    const UniqueModule program(LoadLibraryExW(stub.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!program)
        return Refusal{InputUnreadable, RefusalLine(stub, L"the stub cannot be read as a program (" +
                                                              SystemError(GetLastError()) + L")")};
    return std::nullopt;
}

std::optional<Refusal> CheckPatch(const std::wstring& path, const MappedFile& package, CheckedPatch& patch)
{
    const auto notAPatch = [&](const std::wstring& problem) { return Refusal{NotAPatchPackage, RefusalLine(path, problem)}; };
    if (ThirtyTwoBit && IsMemoryError(package.error()))
        return TooLarge(path);
    if (package.error() != ERROR_SUCCESS)
        return Refusal{InputUnreadable, RefusalLine(path, L"cannot be read (" + SystemError(package.error()) + L")")};
    if (!package::IsCompleteCompoundFile(package.bytes()))
        return notAPatch(L"is no complete compound file: not a Windows Installer package, or cut short or damaged");
    const std::optional<PatchStorage> storage = ReadPatchStorage(path);
    if (!storage)
        return notAPatch(L"cannot be opened as a compound file");
    if (std::wstring why = WhyNotAPatchClass(storage->rootClass); !why.empty())
        return notAPatch(why);
    WindowsPathNames paths;
    msi::MsiLibrary installer;
    package::PackageReader reader{paths, installer};
    std::wstring targets, revision;
    if (!reader.ReadTargetProductCodes(path, targets) || !reader.ReadPatchCode(path, revision))
        return notAPatch(L"the Windows Installer cannot read its summary information");
    if (std::wstring why = WhyNotAPatchSummary(targets, revision); !why.empty())
        return notAPatch(why);
    patch = {TargetProductCodes(targets), revision.substr(0, BracedGuidLength), storage->products};
    return std::nullopt;
}

// The images of the /icon file, which `file` holds mapped; none when it is not given.
std::optional<Refusal> CheckIcon(const std::optional<std::wstring>& path, std::optional<MappedFile>& file, IconFile& icon)
{
    if (!path)
        return std::nullopt;
    if (file.emplace(*path).error() != ERROR_SUCCESS)
        return Refusal{InputUnreadable, RefusalLine(*path, L"the icon cannot be read (" + SystemError(file->error()) + L")")};
    icon = ParseIconFile(file->bytes());
    if (!icon.refusal.empty())
        return Refusal{NotAnIcon, RefusalLine(*path, icon.refusal)};
    return std::nullopt;
}

int Refuse(const Refusal& refusal)
{
    WriteConsoleLine(STD_ERROR_HANDLE, refusal.line);
    return refusal.code;
}

int Make(const Arguments& arguments)
{
    const std::wstring stub = arguments.stub.value_or(DefaultStubPath());
    if (std::optional<Refusal> refusal = CheckPaths(arguments, stub))
        return Refuse(*refusal);
    const MappedFile package(arguments.package);
    CheckedPatch patch;
    if (std::optional<Refusal> refusal = CheckPatch(arguments.package, package, patch))
        return Refuse(*refusal);
    std::optional<MappedFile> iconFile;
    IconFile icon;
    if (std::optional<Refusal> refusal = CheckIcon(arguments.icon, iconFile, icon))
        return Refuse(*refusal);
    const VersionDecision version = DecideUpToDateVersion(patch.products, arguments.version);
    if (!version.refusal.empty())
        return Refuse({VersionNeeded, RefusalLine(arguments.package, L"the up-to-date version cannot be derived: " +
                                                                         version.refusal + L"; give it with /version")});
    if (!version.warning.empty())
        WriteConsoleLine(STD_ERROR_HANDLE, L"svcpack-make: warning: " + version.warning);

    const PatchMetadata metadata = ReadPatchMetadata(arguments.package);
    const RemovalDecision removal = DecideRemovable(metadata.allowRemoval);
    const std::wstring output = FullPath(arguments.output);
    const std::wstring fileName = output.substr(output.find_last_of(L"\\/") + 1);
    const std::vector<std::byte> versionInfo = BuildVersionInfo(ChooseVersionTexts(
        version.version, fileName, metadata, arguments.company, arguments.copyright));
    const std::vector<std::byte> encodedVersion = package::EncodeUpToDateVersion(version.version);
    // With a new icon the stub's resources come over as edits; the wrapper's own come after
    // them, so they replace the stub's of the same name.
    std::optional<IconEdits> iconEdits;
    std::vector<ResourceEdit> edits = arguments.icon ? iconEdits.emplace(stub, icon.images).edits() : std::vector<ResourceEdit>();
    edits.insert(edits.end(),
                 {{package::PackageResourceType, package::PackageResourceName, NeutralLanguage, package.bytes()},
                  {package::VersionResourceType, package::VersionResourceName, NeutralLanguage, encodedVersion},
                  {RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), NeutralLanguage, versionInfo}});
    const DetectionRule rule =
        BuildDetectionRule(patch.patchCode, removal.removable, version.version, patch.targets, patch.products);
    const CompanionFile detection{output + L".detection.json", DetectionJson(rule)};
    const WriteOutcome written = WriteWrapper(stub, output, edits, arguments.icon.has_value(), detection);
    if (OutOfAddressSpace(written))
        return Refuse(TooLarge(arguments.package));
    if (!written.Written())
        return Refuse({OutputNotWritten, RefusalLine(output, L"cannot be written: " + written.failedStep + L" failed (" +
                                                                 (written.error ? SystemError(written.error) : L"no reason given") + L")")});
    // Warned only once the wrapper is made: a refusal stays the one line it is.
    if (!removal.warning.empty())
        WriteConsoleLine(STD_ERROR_HANDLE, L"svcpack-make: warning: " + removal.warning);
    for (const std::wstring& line :
         SummaryLines({patch.targets, patch.patchCode, version.version, version.fromOption, output, written.size}))
        WriteConsoleLine(STD_OUTPUT_HANDLE, line);
    for (const std::wstring& line : DetectionLines(rule, detection.path))
        WriteConsoleLine(STD_OUTPUT_HANDLE, line);
    return Made;
}

}  // namespace

}  // namespace maker

int wmain(int argc, wchar_t** argv)
{
    // The maker runs from download folders too: no DLL may be found beside it, on Windows 7
    // without its DLL-search update as well.
    RestrictDllSearch();
    const maker::ParsedArguments parsed = maker::ParseArguments(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        // One line names what is wrong; the whole usage only when nothing was given at all.
        WriteConsoleLine(STD_ERROR_HANDLE, argc == 1 ? std::wstring(maker::Usage)
                                                     : L"svcpack-make: " + parsed.error + L" (svcpack-make alone shows its usage)");
        return maker::UsageError;
    }
    return maker::Make(parsed.arguments);
}
