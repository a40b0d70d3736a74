#include "storage.h"

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstdint>

using Microsoft::WRL::ComPtr;

namespace {

// {000C1086-0000-0000-C000-000000000046} and {000C1082-0000-0000-C000-000000000046}
const CLSID PatchPackageClass = {0x000C1086, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID TransformClass = {0x000C1082, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr DWORD CreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

Outcome WriteStream(IStorage& storage, const NamedStream& stream)
{
    ComPtr<IStream> created;
    if (Outcome o = CheckHresult(storage.CreateStream(stream.name.c_str(), CreateMode, 0, 0, &created),
                                 L"creating a stream");
        o.Failed())
        return o;
    ULONG written = 0;
    const HRESULT result = created->Write(stream.bytes.data(), static_cast<ULONG>(stream.bytes.size()), &written);
    if (SUCCEEDED(result) && written != stream.bytes.size())
        return {L"writing a stream (short write)", static_cast<unsigned long>(STG_E_WRITEFAULT)};
    return CheckHresult(result, L"writing a stream");
}

Outcome WriteTransform(IStorage& root, const TransformStorage& storage)
{
    ComPtr<IStorage> created;
    const std::wstring step = L"creating sub-storage " + storage.name;
    if (Outcome o = CheckHresult(root.CreateStorage(storage.name.c_str(), CreateMode, 0, 0, &created), step);
        o.Failed())
        return o;
    if (Outcome o = CheckHresult(created->SetClass(TransformClass), L"setting the class of " + storage.name);
        o.Failed())
        return o;
    for (const NamedStream& stream : storage.streams)
        if (Outcome o = WriteStream(*created.Get(), stream); o.Failed())
            return o;
    return CheckHresult(created->Commit(STGC_DEFAULT), L"committing " + storage.name);
}

// A payload cabinet holds compressed data, which looks random; so does the filler, in case
// anything on the way treats runs of zeros specially.
Bytes FillerBytes(std::size_t size)
{
    Bytes bytes(size);
    std::uint32_t state = 0x2545F491;
    for (std::uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state);
    }
    return bytes;
}

}  // namespace

Outcome AddTransformStorages(const std::wstring& path, const std::vector<TransformStorage>& transforms)
{
    ComPtr<IStorage> root;
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;
    if (Outcome o = CheckHresult(StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, &root),
                                 L"opening the package as a compound file");
        o.Failed())
        return o;
    if (Outcome o = CheckHresult(root->SetClass(PatchPackageClass), L"setting the package's class"); o.Failed())
        return o;
    for (const TransformStorage& transform : transforms)
        if (Outcome o = WriteTransform(*root.Get(), transform); o.Failed())
            return o;
    return CheckHresult(root->Commit(STGC_DEFAULT), L"committing the package");
}

Outcome AddFillerStream(const std::wstring& path, std::size_t bytes)
{
    // Written straight to the file: in transacted mode Wine's storage takes three times as
    // long over hundreds of megabytes.
    ComPtr<IStorage> root;
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DIRECT;
    if (Outcome o = CheckHresult(StgOpenStorage(path.c_str(), nullptr, mode, nullptr, 0, &root),
                                 L"opening the package to add the filler");
        o.Failed())
        return o;
    return WriteStream(*root.Get(), {L"Filler", FillerBytes(bytes)});
}
