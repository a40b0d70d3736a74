#include "storage.h"

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

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
