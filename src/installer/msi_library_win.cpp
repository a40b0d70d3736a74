#include "msi_library_win.h"

namespace msi {

namespace {

// An operation that msi.dll does not provide fails as the service being unavailable would.
template <typename Function, typename Result, typename... Arguments>
Result Call(Function function, Result unavailable, Arguments... arguments)
{
    return function ? static_cast<Result>(function(arguments...)) : unavailable;
}

constexpr std::uint32_t ServiceFailure = ERROR_INSTALL_SERVICE_FAILURE;

LPCWSTR OptionalPath(const std::wstring& path) { return path.empty() ? nullptr : path.c_str(); }

}  // namespace

MsiLibrary::MsiLibrary()
    : library_(L"msi.dll"),
      getSummaryInformation_(library_.Bind<decltype(getSummaryInformation_)>("MsiGetSummaryInformationW")),
      summaryInfoGetProperty_(library_.Bind<decltype(summaryInfoGetProperty_)>("MsiSummaryInfoGetPropertyW")),
      queryProductState_(library_.Bind<decltype(queryProductState_)>("MsiQueryProductStateW")),
      getProductInfo_(library_.Bind<decltype(getProductInfo_)>("MsiGetProductInfoW")),
      setInternalUI_(library_.Bind<decltype(setInternalUI_)>("MsiSetInternalUI")),
      openProduct_(library_.Bind<decltype(openProduct_)>("MsiOpenProductW")),
      getProductProperty_(library_.Bind<decltype(getProductProperty_)>("MsiGetProductPropertyW")),
      closeHandle_(library_.Bind<decltype(closeHandle_)>("MsiCloseHandle")),
      getProductInfoEx_(library_.Bind<decltype(getProductInfoEx_)>("MsiGetProductInfoExW")),
      determinePatchSequence_(library_.Bind<decltype(determinePatchSequence_)>("MsiDeterminePatchSequenceW")),
      getPatchInfoEx_(library_.Bind<decltype(getPatchInfoEx_)>("MsiGetPatchInfoExW")),
      enableLog_(library_.Bind<decltype(enableLog_)>("MsiEnableLogW")),
      configureProductEx_(library_.Bind<decltype(configureProductEx_)>("MsiConfigureProductExW")),
      applyMultiplePatches_(library_.Bind<decltype(applyMultiplePatches_)>("MsiApplyMultiplePatchesW")),
      removePatches_(library_.Bind<decltype(removePatches_)>("MsiRemovePatchesW"))
{
}

std::uint32_t MsiLibrary::GetSummaryInformation(const std::wstring& path, Handle& summary)
{
    MSIHANDLE handle = 0;
    const std::uint32_t result = Call(getSummaryInformation_, ServiceFailure, MSIHANDLE(0), path.c_str(), UINT(0), &handle);
    summary = handle;
    return result;
}

std::uint32_t MsiLibrary::SummaryInfoGetProperty(Handle summary, std::uint32_t property, wchar_t* buffer,
                                                 std::uint32_t& length)
{
    UINT dataType = 0;
    INT number = 0;
    FILETIME time{};
    DWORD chars = length;
    const std::uint32_t result = Call(summaryInfoGetProperty_, ServiceFailure, MSIHANDLE(summary), UINT(property),
                                      &dataType, &number, &time, buffer, &chars);
    length = chars;
    return result;
}

int MsiLibrary::QueryProductState(const std::wstring& productCode)
{
    return Call(queryProductState_, int(INSTALLSTATE_UNKNOWN), productCode.c_str());
}

std::uint32_t MsiLibrary::GetProductInfo(const std::wstring& productCode, const wchar_t* attribute,
                                         wchar_t* buffer, std::uint32_t& length)
{
    DWORD chars = length;
    const std::uint32_t result = Call(getProductInfo_, ServiceFailure, productCode.c_str(), attribute, buffer, &chars);
    length = chars;
    return result;
}

int MsiLibrary::SetInternalUI(int level)
{
    return Call(setInternalUI_, int(INSTALLUILEVEL_NOCHANGE), INSTALLUILEVEL(level), static_cast<HWND*>(nullptr));
}

std::uint32_t MsiLibrary::OpenProduct(const std::wstring& productCode, Handle& product)
{
    MSIHANDLE handle = 0;
    const std::uint32_t result = Call(openProduct_, ServiceFailure, productCode.c_str(), &handle);
    product = handle;
    return result;
}

std::uint32_t MsiLibrary::GetProductProperty(Handle product, const wchar_t* property, wchar_t* buffer,
                                             std::uint32_t& length)
{
    DWORD chars = length;
    const std::uint32_t result = Call(getProductProperty_, ServiceFailure, MSIHANDLE(product), property, buffer, &chars);
    length = chars;
    return result;
}

std::uint32_t MsiLibrary::CloseHandle(Handle handle)
{
    return Call(closeHandle_, ServiceFailure, MSIHANDLE(handle));
}

std::uint32_t MsiLibrary::GetProductInfoEx(const std::wstring& productCode, std::uint32_t context,
                                           const wchar_t* property, wchar_t* buffer, std::uint32_t& length)
{
    DWORD chars = length;
    const std::uint32_t result = Call(getProductInfoEx_, ServiceFailure, productCode.c_str(),
                                      static_cast<LPCWSTR>(nullptr), MSIINSTALLCONTEXT(context), property, buffer,
                                      &chars);
    length = chars;
    return result;
}

std::uint32_t MsiLibrary::DeterminePatchSequence(const std::wstring& productCode, std::uint32_t context,
                                                 std::vector<PatchSequenceEntry>& entries)
{
    std::vector<MSIPATCHSEQUENCEINFOW> infos;
    infos.reserve(entries.size());
    for (const PatchSequenceEntry& entry : entries)
        infos.push_back({entry.patchPath.c_str(), MSIPATCH_DATATYPE_PATCHFILE, DWORD(-1), ERROR_SUCCESS});
    const std::uint32_t result = Call(determinePatchSequence_, ServiceFailure, productCode.c_str(),
                                      static_cast<LPCWSTR>(nullptr), MSIINSTALLCONTEXT(context),
                                      DWORD(infos.size()), infos.data());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].order = static_cast<int>(infos[i].dwOrder);
        entries[i].status = infos[i].uStatus;
    }
    return result;
}

std::uint32_t MsiLibrary::GetPatchInfoEx(const std::wstring& patchCode, const std::wstring& productCode,
                                         std::uint32_t context, const wchar_t* property, wchar_t* buffer,
                                         std::uint32_t& length)
{
    DWORD chars = length;
    const std::uint32_t result = Call(getPatchInfoEx_, ServiceFailure, patchCode.c_str(), productCode.c_str(),
                                      static_cast<LPCWSTR>(nullptr), MSIINSTALLCONTEXT(context), property, buffer,
                                      &chars);
    length = chars;
    return result;
}

std::uint32_t MsiLibrary::EnableLog(std::uint32_t mode, const std::wstring& path, std::uint32_t attributes)
{
    return Call(enableLog_, ServiceFailure, DWORD(mode), OptionalPath(path), DWORD(attributes));
}

std::uint32_t MsiLibrary::ConfigureProductEx(const std::wstring& productCode, int installLevel, int installState,
                                             const std::wstring& commandLine)
{
    return Call(configureProductEx_, ServiceFailure, productCode.c_str(), installLevel, INSTALLSTATE(installState),
                commandLine.c_str());
}

std::uint32_t MsiLibrary::ApplyMultiplePatches(const std::wstring& patchPaths, const std::wstring& productCode,
                                               const std::wstring& properties)
{
    return Call(applyMultiplePatches_, ServiceFailure, patchPaths.c_str(), productCode.c_str(), properties.c_str());
}

std::uint32_t MsiLibrary::RemovePatches(const std::wstring& patchCodes, const std::wstring& productCode,
                                        const std::wstring& properties)
{
    return Call(removePatches_, ServiceFailure, patchCodes.c_str(), productCode.c_str(), INSTALLTYPE_SINGLE_INSTANCE,
                properties.c_str());
}

}  // namespace msi
