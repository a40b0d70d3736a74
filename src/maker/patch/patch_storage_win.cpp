#include "patch_storage_win.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>

#include "com_ptr_win.h"
#include "platform/system_library_win.h"
#include "summary_stream.h"

namespace maker {

namespace {

constexpr std::uint32_t TransformListProperty = 8;  // PID_LASTAUTHOR
constexpr std::uint32_t ProductsProperty = 9;       // PID_REVNUMBER
constexpr DWORD ReadOnlyShared = STGM_READ | STGM_SHARE_DENY_WRITE;
constexpr DWORD ReadOnlyExclusive = STGM_READ | STGM_SHARE_EXCLUSIVE;  // what sub-storages require

// A summary stream is a few hundred bytes; a target list of thousands of products a few
// hundred kilobytes. Anything larger is no summary.
constexpr ULONG MaxSummaryBytes = 16u << 20;

std::vector<std::byte> ReadSummaryStream(IStorage& storage)
{
    ComPtr<IStream> stream;
    STATSTG stat{};
    if (FAILED(storage.OpenStream(L"\005SummaryInformation", nullptr, ReadOnlyExclusive, 0, stream.Put())) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > MaxSummaryBytes)
        return {};
    std::vector<std::byte> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)))
        return {};
    bytes.resize(read);
    return bytes;
}

// A text property of the storage's summary, widened from the stream's own codepage.
std::wstring ReadSummaryText(IStorage& storage, std::uint32_t property)
{
    const std::optional<SummaryText> text = FindSummaryText(ReadSummaryStream(storage), property);
    if (!text || text->bytes.empty())
        return {};
    const UINT codepage = text->codepage ? text->codepage : CP_ACP;
    const int size = static_cast<int>(text->bytes.size());
    const int length = MultiByteToWideChar(codepage, 0, text->bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    MultiByteToWideChar(codepage, 0, text->bytes.data(), size, wide.data(), length);
    return wide;
}

std::optional<TransformProducts> ReadTransformProducts(IStorage& root, const std::wstring& name)
{
    ComPtr<IStorage> transform;
    if (FAILED(root.OpenStorage(name.c_str(), nullptr, ReadOnlyExclusive, nullptr, 0, transform.Put())))
        return std::nullopt;
    return ParseTransformProducts(ReadSummaryText(*transform.get(), ProductsProperty));
}

std::wstring ClassText(decltype(&::StringFromGUID2) stringFromGuid, const CLSID& id)
{
    wchar_t text[39] = {};
    stringFromGuid(id, text, 39);
    return text;
}

}  // namespace

std::optional<PatchStorage> ReadPatchStorage(const std::wstring& path)
{
    // From the system directory after the search is restricted, as every DLL but KERNEL32 and
    // msvcrt: an import would be looked for, with what it loads, beside the maker first.
    const SystemLibrary ole32(L"ole32.dll");
    const auto openStorage = ole32.Bind<decltype(&::StgOpenStorage)>("StgOpenStorage");
    const auto stringFromGuid = ole32.Bind<decltype(&::StringFromGUID2)>("StringFromGUID2");
    ComPtr<IStorage> root;
    STATSTG stat{};
    if (!openStorage || !stringFromGuid ||
        FAILED(openStorage(path.c_str(), nullptr, ReadOnlyShared, nullptr, 0, root.Put())) ||
        FAILED(root->Stat(&stat, STATFLAG_NONAME)))
        return std::nullopt;
    PatchStorage patch{ClassText(stringFromGuid, stat.clsid), ReadSummaryText(*root.get(), TransformListProperty), {}};
    for (const std::wstring& name : ListedTransforms(patch.transformList))
        if (!name.starts_with(L"#"))
            if (std::optional<TransformProducts> products = ReadTransformProducts(*root.get(), name))
                patch.products.push_back(*products);
    return patch;
}

}  // namespace maker
