// svcpack-make: makes a wrapper for one patch, or for a vendor's set of patches, from the stub,
// checking the patches first and taking the up-to-date versions from them. Each refusal is one line on stderr and an exit code
// of its own (see the usage text).
#include <windows.h>

#include <list>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "file_paths_win.h"
#include "installer/msi_library_win.h"
#include "maker/patch/patch_checks.h"
#include "maker/patch/patch_metadata_win.h"
#include "maker/patch/patch_removal.h"
#include "maker/patch/patch_set.h"
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

// Packages the 32-bit maker cannot hold: the one, or all of a set, which it maps at once.
Refusal TooLarge(const std::vector<std::wstring>& packages) { return {TooLargeForThisMaker, TooLargeLine(packages)}; }

std::optional<Refusal> CheckPaths(const Arguments& arguments, const std::wstring& stub)
{
    if (SameFile(arguments.output, stub))
        return Refusal{UsageError, RefusalLine(arguments.output, L"is the stub itself; name a new file for the wrapper")};
    for (const std::wstring& package : arguments.packages)
        if (SameFile(arguments.output, package))
            return Refusal{UsageError, RefusalLine(arguments.output, L"is the patch package itself; name a new file for the wrapper")};
    // Loaded as data only, so nothing of it runs; Wine's resource writer would take any file.
    const UniqueModule program(LoadLibraryExW(stub.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!program)
        return Refusal{InputUnreadable, RefusalLine(stub, L"the stub cannot be read as a program (" +
                                                              SystemError(GetLastError()) + L")")};
    return std::nullopt;
}

// The package as the wrapper will see it, with what the patch says about itself.
std::optional<Refusal> CheckPatch(const std::wstring& path, const MappedFile& package, const Refusal& tooLarge,
                                  CheckedPatch& patch)
{
    const auto notAPatch = [&](const std::wstring& problem) { return Refusal{NotAPatchPackage, RefusalLine(path, problem)}; };
    if (ThirtyTwoBit && IsMemoryError(package.error()))
        return tooLarge;
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
    patch = {path, TargetProductCodes(targets), revision.substr(0, BracedGuidLength), storage->products};
    return std::nullopt;
}

// Each package mapped, in `files`, and checked; for a set also that the packages go together.
std::optional<Refusal> CheckPatches(const std::vector<std::wstring>& paths, std::list<MappedFile>& files,
                                    std::vector<CheckedPatch>& patches)
{
    const bool set = paths.size() > 1;
    if (std::optional<SetRefusal> refusal = set ? CheckSetFileNames(paths) : std::nullopt)
        return Refusal{NotOneSet, RefusalLine(refusal->package, refusal->problem)};
    const Refusal tooLarge = TooLarge(paths);
    for (const std::wstring& path : paths)
        if (std::optional<Refusal> refusal = CheckPatch(path, files.emplace_back(path), tooLarge, patches.emplace_back()))
            return refusal;
    if (std::optional<SetRefusal> refusal = set ? CheckSetPatches(patches) : std::nullopt)
        return Refusal{NotOneSet, RefusalLine(refusal->package, refusal->problem)};
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

void Warn(const std::wstring& warning) { WriteConsoleLine(STD_ERROR_HANDLE, L"svcpack-make: warning: " + warning); }

void Print(const std::vector<std::wstring>& lines)
{
    for (const std::wstring& line : lines)
        WriteConsoleLine(STD_OUTPUT_HANDLE, line);
}

// What every wrapper is made from besides its patches.
struct Inputs {
    const Arguments& arguments;
    std::wstring stub;
    std::wstring output;    // its full path
    std::wstring fileName;  // the output's, for OriginalFilename
    const IconFile& icon;
};

std::wstring DetectionPath(const Inputs& inputs) { return inputs.output + L".detection.json"; }

// The stub's copy with `own` resources after its own (rebuilt with the new icon when one is
// given, so that the wrapper's replace the stub's of the same name), and the detection rule
// beside it; fills `size` once both are in place.
std::optional<Refusal> Write(const Inputs& inputs, const std::vector<ResourceEdit>& own, const std::wstring& detectionJson,
                             std::uint64_t& size)
{
    std::optional<IconEdits> iconEdits;
    const bool newIcon = inputs.arguments.icon.has_value();
    std::vector<ResourceEdit> edits = newIcon ? iconEdits.emplace(inputs.stub, inputs.icon.images).edits() : std::vector<ResourceEdit>();
    edits.insert(edits.end(), own.begin(), own.end());
    const CompanionFile detection{DetectionPath(inputs), detectionJson};
    const WriteOutcome written = WriteWrapper(inputs.stub, inputs.output, edits, newIcon, detection);
    if (OutOfAddressSpace(written))
        return TooLarge(inputs.arguments.packages);
    if (!written.Written())
        return Refusal{OutputNotWritten, RefusalLine(inputs.output, L"cannot be written: " + written.failedStep + L" failed (" +
                                                                        (written.error ? SystemError(written.error) : L"no reason given") + L")")};
    size = written.size;
    return std::nullopt;
}

int MakeForPatch(const Inputs& inputs, const MappedFile& package, const CheckedPatch& patch)
{
    const Arguments& arguments = inputs.arguments;
    const VersionDecision version = DecideUpToDateVersion(patch.products, arguments.version);
    if (!version.refusal.empty())
        return Refuse({VersionNeeded, RefusalLine(patch.path, L"the up-to-date version cannot be derived: " +
                                                                  version.refusal + L"; give it with /version")});
    if (!version.warning.empty())
        Warn(version.warning);

    const PatchMetadata metadata = ReadPatchMetadata(patch.path);
    const RemovalDecision removal = DecideRemovable(metadata.allowRemoval);
    const std::vector<std::byte> versionInfo = BuildVersionInfo(ChooseVersionTexts(
        version.version, inputs.fileName, metadata, arguments.company, arguments.copyright));
    const std::vector<std::byte> encodedVersion = package::EncodeUpToDateVersion(version.version);
    const std::vector<ResourceEdit> own{
        {package::PackageResourceType, package::PackageResourceName, NeutralLanguage, package.bytes()},
        {package::VersionResourceType, package::VersionResourceName, NeutralLanguage, encodedVersion},
        {RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), NeutralLanguage, versionInfo}};
    const DetectionRule rule =
        BuildDetectionRule(patch.patchCode, removal.removable, version.version, patch.targets, patch.products);
    std::uint64_t size = 0;
    if (std::optional<Refusal> refusal = Write(inputs, own, DetectionJson(rule), size))
        return Refuse(*refusal);
    // Warned only once the wrapper is made: a refusal stays the one line it is.
    if (!removal.warning.empty())
        Warn(removal.warning);
    Print(SummaryLines({patch.targets, patch.patchCode, version.version, version.fromOption, inputs.output, size}));
    Print(DetectionLines(rule, DetectionPath(inputs)));
    return Made;
}

// The set's own resources: each package as IDR_MSP<i + 1>, the set resource, the version
// resource; `names` holds the names the package edits point into.
std::vector<ResourceEdit> SetResources(const std::list<MappedFile>& packages, const std::vector<std::byte>& encodedSet,
                                       const std::vector<std::byte>& versionInfo, std::vector<std::wstring>& names)
{
    std::vector<ResourceEdit> own;
    for (std::size_t i = 0; i < packages.size(); ++i)
        names.push_back(package::SetPackageResourceName(i));
    std::size_t i = 0;
    for (const MappedFile& package : packages)
        own.push_back({package::PackageResourceType, names[i++].c_str(), NeutralLanguage, package.bytes()});
    own.push_back({package::SetResourceType, package::SetResourceName, NeutralLanguage, encodedSet});
    own.push_back({RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), NeutralLanguage, versionInfo});
    return own;
}

int MakeForSet(const Inputs& inputs, const std::list<MappedFile>& packages, const std::vector<CheckedPatch>& patches)
{
    const Arguments& arguments = inputs.arguments;
    const SetVersionDecision versions = DecideSetVersions(patches, arguments.version);
    if (!versions.refusal.empty())
        return Refuse({VersionNeeded, RefusalLine(versions.refusedProduct, versions.refusal)});
    if (!versions.warning.empty())
        Warn(versions.warning);

    package::PackageSet set;
    std::vector<std::wstring> codes, removalWarnings;
    std::vector<PatchMetadata> metadata;
    std::vector<bool> removable;
    for (const CheckedPatch& patch : patches) {
        set.fileNames.push_back(FileNameOf(patch.path));
        codes.push_back(patch.patchCode);
        metadata.push_back(ReadPatchMetadata(patch.path));
        const RemovalDecision removal = DecideRemovable(metadata.back().allowRemoval);
        removable.push_back(removal.removable);
        if (!removal.warning.empty())
            removalWarnings.push_back(patch.path + L": " + removal.warning);
    }
    for (const ProductUpToDate& product : versions.products)
        set.versions.push_back({product.productCode, product.version});
    const std::vector<std::byte> versionInfo = BuildVersionInfo(ChooseVersionTexts(
        versions.highest, inputs.fileName, SetMetadata(metadata), arguments.company, arguments.copyright));
    const std::vector<std::byte> encodedSet = package::EncodePackageSet(set);
    std::vector<std::wstring> names;
    const SetDetectionRule rule = BuildSetDetectionRule(patches, set.fileNames, removable, versions.products);
    std::uint64_t size = 0;
    if (std::optional<Refusal> refusal = Write(inputs, SetResources(packages, encodedSet, versionInfo, names),
                                               SetDetectionJson(rule), size))
        return Refuse(*refusal);
    for (const std::wstring& warning : removalWarnings)
        Warn(warning);
    Print(SetSummaryLines({set.fileNames, codes, versions.products, inputs.output, size}));
    Print(SetDetectionLines(rule, DetectionPath(inputs)));
    return Made;
}

int Make(const Arguments& arguments)
{
    const std::wstring stub = arguments.stub.value_or(DefaultStubPath());
    if (std::optional<Refusal> refusal = CheckPaths(arguments, stub))
        return Refuse(*refusal);
    std::list<MappedFile> packages;
    std::vector<CheckedPatch> patches;
    if (std::optional<Refusal> refusal = CheckPatches(arguments.packages, packages, patches))
        return Refuse(*refusal);
    std::optional<MappedFile> iconFile;
    IconFile icon;
    if (std::optional<Refusal> refusal = CheckIcon(arguments.icon, iconFile, icon))
        return Refuse(*refusal);
    const std::wstring output = FullPath(arguments.output);
    const Inputs inputs{arguments, stub, output, FileNameOf(output), icon};
    return patches.size() == 1 ? MakeForPatch(inputs, packages.front(), patches.front())
                               : MakeForSet(inputs, packages, patches);
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
