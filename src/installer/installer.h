#pragma once
// The Windows Installer operations the wrapper relies on, as one table. The Windows builds
// bind it to msi.dll; host tests script it. Buffers and lengths behave as msi.dll's do, so
// the callers' buffer handling (2048/1024 characters, the retry after 234) is what is tested.
#include <cstdint>
#include <string>
#include <vector>

namespace msi {

using Handle = std::uint32_t;

constexpr std::uint32_t Success = 0;
constexpr std::uint32_t MoreData = 234;
constexpr std::uint32_t UnknownProduct = 1605;
constexpr std::uint32_t InstallFailure = 1603;
constexpr std::uint32_t PatchTargetNotFound = 1642;
constexpr std::uint32_t PackageRejected = 1625;
constexpr std::uint32_t RebootInitiated = 1641;
constexpr std::uint32_t RebootRequired = 3010;
constexpr std::uint32_t PatchRemovalUnsupported = 1646;
constexpr std::uint32_t UnknownPatch = 1647;

constexpr int StateAdvertised = 1;
constexpr int StateInstalled = 5;

constexpr int UiLevelNone = 2;
constexpr int UiLevelBasicNoCancel = 0x23;  // INSTALLUILEVEL_BASIC | INSTALLUILEVEL_HIDECANCEL
constexpr int UiLevelProgressOnly = 0x63;   // the same | INSTALLUILEVEL_PROGRESSONLY

constexpr std::uint32_t LogModeVerbose = 0x1000;
constexpr std::uint32_t LogModeOff = 0x4000;

// MSIINSTALLCONTEXT: where a product is installed. The user contexts are those of the
// current user (the wrapper passes no user SID).
constexpr std::uint32_t ContextUserManaged = 1;
constexpr std::uint32_t ContextUserUnmanaged = 2;
constexpr std::uint32_t ContextMachine = 4;
constexpr std::uint32_t SummaryTargetProducts = 7;  // PID_TEMPLATE
constexpr std::uint32_t SummaryPatchCode = 9;       // PID_REVNUMBER

// One patch file of a sequence question (MSIPATCHSEQUENCEINFOW with a file path): the
// installer fills in where it goes in the product's sequence (-1: not applied, being obsolete,
// superseded or no fit) and its status (0, or why it does not fit, such as 1642).
struct PatchSequenceEntry {
    std::wstring patchPath;
    int order = -1;
    std::uint32_t status = 0;
};

class Installer {
public:
    virtual ~Installer() = default;

    // MsiGetSummaryInformationW(0, path, 0, &summary)
    virtual std::uint32_t GetSummaryInformation(const std::wstring& path, Handle& summary) = 0;
    // MsiSummaryInfoGetPropertyW; `length` in characters, as the installer reads and writes it
    virtual std::uint32_t SummaryInfoGetProperty(Handle summary, std::uint32_t property,
                                                 wchar_t* buffer, std::uint32_t& length) = 0;
    virtual int QueryProductState(const std::wstring& productCode) = 0;
    virtual std::uint32_t GetProductInfo(const std::wstring& productCode, const wchar_t* attribute,
                                         wchar_t* buffer, std::uint32_t& length) = 0;
    // MsiSetInternalUI(level, no window); returns the previous level
    virtual int SetInternalUI(int level) = 0;
    virtual std::uint32_t OpenProduct(const std::wstring& productCode, Handle& product) = 0;
    virtual std::uint32_t GetProductProperty(Handle product, const wchar_t* property,
                                             wchar_t* buffer, std::uint32_t& length) = 0;
    virtual std::uint32_t CloseHandle(Handle handle) = 0;
    // MsiGetProductInfoExW(productCode, no user, context, property, buffer, length)
    virtual std::uint32_t GetProductInfoEx(const std::wstring& productCode, std::uint32_t context,
                                           const wchar_t* property, wchar_t* buffer,
                                           std::uint32_t& length) = 0;
    // MsiDeterminePatchSequenceW for one product in `context` (no user) and the patch files
    // of `entries`, asked together so that the installer can weigh them against each other
    virtual std::uint32_t DeterminePatchSequence(const std::wstring& productCode, std::uint32_t context,
                                                 std::vector<PatchSequenceEntry>& entries) = 0;
    // MsiGetPatchInfoExW(patchCode, productCode, no user, context, property, buffer, length)
    virtual std::uint32_t GetPatchInfoEx(const std::wstring& patchCode, const std::wstring& productCode,
                                         std::uint32_t context, const wchar_t* property, wchar_t* buffer,
                                         std::uint32_t& length) = 0;
    // MsiEnableLogW; an empty path passes no file
    virtual std::uint32_t EnableLog(std::uint32_t mode, const std::wstring& path,
                                    std::uint32_t attributes) = 0;
    virtual std::uint32_t ConfigureProductEx(const std::wstring& productCode, int installLevel,
                                             int installState, const std::wstring& commandLine) = 0;
    // MsiApplyMultiplePatchesW(patchPaths, productCode, properties): the ';'-separated patch
    // files applied to one product in one call, which registers each of them; the installer
    // sets PATCH and REINSTALL itself
    virtual std::uint32_t ApplyMultiplePatches(const std::wstring& patchPaths, const std::wstring& productCode,
                                               const std::wstring& properties) = 0;
    // MsiRemovePatchesW(patchCodes, productCode, INSTALLTYPE_SINGLE_INSTANCE, properties): the
    // installer takes the patches (';'-separated) by their codes, never by a file
    virtual std::uint32_t RemovePatches(const std::wstring& patchCodes, const std::wstring& productCode,
                                        const std::wstring& properties) = 0;
};

}  // namespace msi
