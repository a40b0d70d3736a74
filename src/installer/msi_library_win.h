#pragma once
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "platform/system_library_win.h"
#include "installer.h"

namespace msi {

// The installer operations bound to msi.dll, loaded from the system directory only so that
// a msi.dll planted beside the wrapper is never the one that runs.
class MsiLibrary final : public Installer {
public:
    MsiLibrary();
    MsiLibrary(const MsiLibrary&) = delete;
    MsiLibrary& operator=(const MsiLibrary&) = delete;

    std::uint32_t GetSummaryInformation(const std::wstring& path, Handle& summary) override;
    std::uint32_t SummaryInfoGetProperty(Handle summary, std::uint32_t property, wchar_t* buffer,
                                         std::uint32_t& length) override;
    int QueryProductState(const std::wstring& productCode) override;
    std::uint32_t GetProductInfo(const std::wstring& productCode, const wchar_t* attribute,
                                 wchar_t* buffer, std::uint32_t& length) override;
    int SetInternalUI(int level) override;
    std::uint32_t OpenProduct(const std::wstring& productCode, Handle& product) override;
    std::uint32_t GetProductProperty(Handle product, const wchar_t* property, wchar_t* buffer,
                                     std::uint32_t& length) override;
    std::uint32_t CloseHandle(Handle handle) override;
    std::uint32_t GetProductInfoEx(const std::wstring& productCode, std::uint32_t context,
                                   const wchar_t* property, wchar_t* buffer,
                                   std::uint32_t& length) override;
    std::uint32_t DeterminePatchSequence(const std::wstring& productCode, std::uint32_t context,
                                         std::vector<PatchSequenceEntry>& entries) override;
    std::uint32_t GetPatchInfoEx(const std::wstring& patchCode, const std::wstring& productCode,
                                 std::uint32_t context, const wchar_t* property, wchar_t* buffer,
                                 std::uint32_t& length) override;
    std::uint32_t EnableLog(std::uint32_t mode, const std::wstring& path,
                            std::uint32_t attributes) override;
    std::uint32_t ConfigureProductEx(const std::wstring& productCode, int installLevel,
                                     int installState, const std::wstring& commandLine) override;
    std::uint32_t ApplyMultiplePatches(const std::wstring& patchPaths, const std::wstring& productCode,
                                       const std::wstring& properties) override;
    std::uint32_t RemovePatches(const std::wstring& patchCodes, const std::wstring& productCode,
                                const std::wstring& properties) override;

private:
    SystemLibrary library_;
    decltype(&::MsiGetSummaryInformationW) getSummaryInformation_;
    decltype(&::MsiSummaryInfoGetPropertyW) summaryInfoGetProperty_;
    decltype(&::MsiQueryProductStateW) queryProductState_;
    decltype(&::MsiGetProductInfoW) getProductInfo_;
    decltype(&::MsiSetInternalUI) setInternalUI_;
    decltype(&::MsiOpenProductW) openProduct_;
    decltype(&::MsiGetProductPropertyW) getProductProperty_;
    decltype(&::MsiCloseHandle) closeHandle_;
    decltype(&::MsiGetProductInfoExW) getProductInfoEx_;
    decltype(&::MsiDeterminePatchSequenceW) determinePatchSequence_;
    decltype(&::MsiGetPatchInfoExW) getPatchInfoEx_;
    decltype(&::MsiEnableLogW) enableLog_;
    decltype(&::MsiConfigureProductExW) configureProductEx_;
    decltype(&::MsiApplyMultiplePatchesW) applyMultiplePatches_;
    decltype(&::MsiRemovePatchesW) removePatches_;
};

}  // namespace msi
