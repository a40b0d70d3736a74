#include "package.h"

#include <windows.h>
#include <wtypes.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "storage.h"
#include "transform.h"

namespace {

constexpr UINT TargetsProperty = 7;     // PID_TEMPLATE: target product codes
constexpr UINT TransformsProperty = 8;  // PID_LASTAUTHOR: the transforms to apply
constexpr UINT RevisionProperty = 9;    // PID_REVNUMBER: patch code and obsoleted codes
constexpr UINT SummaryUpdates = 3;

std::wstring TransformName(std::size_t index) { return L"T" + std::to_wstring(index + 1); }

std::wstring JoinedTargets(const PackageOptions& options)
{
    std::wstring joined;
    for (const Target& target : options.targets)
        joined += (joined.empty() ? L"" : L";") + target.productCode;
    return joined;
}

std::wstring TransformList(const PackageOptions& options)
{
    std::wstring list;
    for (std::size_t i = 0; i < options.targets.size(); ++i)
        list += (i ? L";:" : L":") + TransformName(i);
    return list;
}

std::wstring Revision(const PackageOptions& options)
{
    std::wstring revision = options.patchCode;
    for (const std::wstring& obsoleted : options.obsoletes)
        revision += obsoleted;
    return revision;
}

// The summary texts the package gets, without those the options leave out.
std::vector<std::pair<UINT, std::wstring>> SummaryTexts(const PackageOptions& options)
{
    std::vector<std::pair<UINT, std::wstring>> texts{
        {TargetsProperty, options.targetsText.value_or(JoinedTargets(options))},
        {TransformsProperty, TransformList(options)},
        {RevisionProperty, options.revisionText.value_or(Revision(options))},
    };
    std::erase_if(texts, [&](const auto& text) {
        return std::ranges::find(options.omittedProperties, text.first) != options.omittedProperties.end();
    });
    return texts;
}

Outcome RunQuery(MSIHANDLE database, const wchar_t* query, MSIHANDLE parameters, const std::wstring& step)
{
    PMSIHANDLE view;
    if (Outcome o = CheckInstaller(MsiDatabaseOpenViewW(database, query, &view), step); o.Failed())
        return o;
    return CheckInstaller(MsiViewExecute(view, parameters), step);
}

// What the patch says about itself, where the maker and inventory tools look for it.
Outcome AddMetadata(MSIHANDLE database, const std::vector<std::pair<std::wstring, std::wstring>>& metadata)
{
    if (Outcome o = RunQuery(database,
                             L"CREATE TABLE `MsiPatchMetadata` (`Company` CHAR(72), `Property` CHAR(72) NOT NULL, "
                             L"`Value` LONGCHAR NOT NULL PRIMARY KEY `Company`, `Property`)",
                             0, L"creating MsiPatchMetadata");
        o.Failed())
        return o;
    for (const auto& [property, value] : metadata) {
        PMSIHANDLE values = MsiCreateRecord(2);
        MsiRecordSetStringW(values, 1, property.c_str());
        MsiRecordSetStringW(values, 2, value.c_str());
        if (Outcome o = RunQuery(database, L"INSERT INTO `MsiPatchMetadata` (`Property`, `Value`) VALUES (?, ?)",
                                 values, L"adding " + property);
            o.Failed())
            return o;
    }
    return {};
}

// The installer makes the compound file, its empty tables and the summary; the class and
// the transforms come afterwards through structured storage.
Outcome WriteDatabaseWithSummary(const PackageOptions& options)
{
    PMSIHANDLE database;
    if (Outcome o = CheckInstaller(MsiOpenDatabaseW(options.outPath.c_str(), MSIDBOPEN_CREATE, &database),
                                   L"creating the package");
        o.Failed())
        return o;
    PMSIHANDLE summary;
    if (Outcome o = CheckInstaller(MsiGetSummaryInformationW(database, nullptr, SummaryUpdates, &summary),
                                   L"opening the package's summary");
        o.Failed())
        return o;
    for (const auto& [property, text] : SummaryTexts(options)) {
        const UINT result = MsiSummaryInfoSetPropertyW(summary, property, VT_LPSTR, 0, nullptr, text.c_str());
        if (Outcome o = CheckInstaller(result, L"setting summary property " + std::to_wstring(property));
            o.Failed())
            return o;
    }
    if (Outcome o = CheckInstaller(MsiSummaryInfoPersist(summary), L"writing the summary"); o.Failed())
        return o;
    if (!options.metadata.empty())
        if (Outcome o = AddMetadata(database, options.metadata); o.Failed())
            return o;
    return CheckInstaller(MsiDatabaseCommit(database), L"committing the package");
}

std::vector<TransformStorage> Transforms(const PackageOptions& options)
{
    std::vector<TransformStorage> transforms;
    for (std::size_t i = 0; i < options.targets.size(); ++i)
        transforms.push_back({TransformName(i), VersionTransform(options.targets[i],
                                                                 options.targets[i].newVersion.value_or(options.newVersion))});
    return transforms;
}

struct FileCloser {
    using pointer = HANDLE;
    void operator()(HANDLE file) const { CloseHandle(file); }
};

// A few bytes of text: no compound file, so every installer call on it fails.
Outcome WriteNonPackage(const std::wstring& path)
{
    static const char text[] = "This file is not a Windows Installer patch package.\r\n";
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return {L"creating " + path, GetLastError()};
    const std::unique_ptr<HANDLE, FileCloser> file(opened);
    DWORD written = 0;
    if (!WriteFile(file.get(), text, sizeof text - 1, &written, nullptr) || written != sizeof text - 1)
        return {L"writing " + path, GetLastError()};
    return {};
}

}  // namespace

Outcome WritePackage(const PackageOptions& options)
{
    if (options.notAPackage)
        return WriteNonPackage(options.outPath);
    if (Outcome o = WriteDatabaseWithSummary(options); o.Failed())
        return o;
    if (Outcome o = AddTransformStorages(options.outPath, Transforms(options)); o.Failed())
        return o;
    return options.fillerBytes > 0 ? AddFillerStream(options.outPath, options.fillerBytes) : Outcome{};
}
