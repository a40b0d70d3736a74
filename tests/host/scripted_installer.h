#pragma once
// A stand-in for msi.dll that answers what each test scripts and records what it was asked.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/installer.h"

struct ScriptedProduct {
    int state = msi::StateInstalled;
    std::map<std::wstring, std::wstring> info;  // "ProductName", "Language", "VersionString"
    bool opens = true;
    std::wstring localeId;                      // the LOCALEID property
    bool hasLocaleId = true;
    std::uint32_t sequenceResult = msi::Success;
    int order = 0;
    std::uint32_t status = 0;
    // A set's answers by package path: order and status; a path not named gets its index
    // among those asked about with `status`, as Wine's installer answers, or `order` where
    // that is -1.
    std::map<std::wstring, std::pair<int, std::uint32_t>> sequence;
    std::uint32_t context = msi::ContextMachine;  // the one context that knows the product
    bool patchRegistered = false;                 // every patch is registered
    std::set<std::wstring> registeredPatches;     // these patch codes are
    bool applyingTakes = true;  // a successful configuration registers the patches it was given
    std::wstring uninstallable = L"1";  // "Uninstallable" of the registered patch
    std::uint32_t configureResult = msi::Success;
    std::uint32_t removeResult = msi::Success;
    bool removalTakes = true;  // a successful removal unregisters the patch
};

class ScriptedInstaller : public msi::Installer {
public:
    // Package summary, by full path
    std::map<std::wstring, std::map<std::uint32_t, std::wstring>> packages;
    std::map<std::wstring, ScriptedProduct> products;
    // The UI level and the logging state as the installer holds them.
    int uiLevel = 5;
    std::wstring logPath;
    bool logging = false;

    std::vector<std::wstring> calls;                 // operation names, in order
    std::vector<std::uint32_t> propertyReads;        // property ids read
    std::vector<std::wstring> configured;            // product codes configured
    std::vector<std::wstring> commandLines;
    std::vector<std::wstring> patchStateCodes;       // patch codes the state query got
    struct Removal {
        std::wstring patchCode, productCode, properties;
        int uiLevel;
        std::wstring log;
    };
    std::vector<Removal> removals;
    std::vector<std::uint32_t> sequenceContexts;     // contexts the sequence check was asked in
    std::vector<std::vector<std::wstring>> sequenceLists;  // the package paths of each sequence check
    struct MultipleApplication {
        std::wstring patchPaths, productCode, properties;
        int uiLevel;
        std::wstring log;
    };
    std::vector<MultipleApplication> multipleApplications;
    std::vector<std::uint32_t> patchStateContexts;   // contexts the state query was asked in
    std::vector<int> uiLevelsAtConfigure;
    std::vector<std::wstring> logsAtConfigure;
    int openHandles = 0;
    std::function<void()> onConfigure;               // runs inside ConfigureProductEx

    std::uint32_t GetSummaryInformation(const std::wstring& path, msi::Handle& summary) override;
    std::uint32_t SummaryInfoGetProperty(msi::Handle summary, std::uint32_t property, wchar_t* buffer,
                                         std::uint32_t& length) override;
    int QueryProductState(const std::wstring& productCode) override;
    std::uint32_t GetProductInfo(const std::wstring& productCode, const wchar_t* attribute,
                                 wchar_t* buffer, std::uint32_t& length) override;
    int SetInternalUI(int level) override;
    std::uint32_t OpenProduct(const std::wstring& productCode, msi::Handle& product) override;
    std::uint32_t GetProductProperty(msi::Handle product, const wchar_t* property, wchar_t* buffer,
                                     std::uint32_t& length) override;
    std::uint32_t CloseHandle(msi::Handle handle) override;
    std::uint32_t GetProductInfoEx(const std::wstring& productCode, std::uint32_t context, const wchar_t* property,
                                   wchar_t* buffer, std::uint32_t& length) override;
    std::uint32_t DeterminePatchSequence(const std::wstring& productCode, std::uint32_t context,
                                         std::vector<msi::PatchSequenceEntry>& entries) override;
    std::uint32_t GetPatchInfoEx(const std::wstring& patchCode, const std::wstring& productCode, std::uint32_t context,
                                 const wchar_t* property, wchar_t* buffer, std::uint32_t& length) override;
    std::uint32_t EnableLog(std::uint32_t mode, const std::wstring& path, std::uint32_t attributes) override;
    std::uint32_t ConfigureProductEx(const std::wstring& productCode, int installLevel, int installState,
                                     const std::wstring& commandLine) override;
    std::uint32_t ApplyMultiplePatches(const std::wstring& patchPaths, const std::wstring& productCode,
                                       const std::wstring& properties) override;
    std::uint32_t RemovePatches(const std::wstring& patchCodes, const std::wstring& productCode,
                                const std::wstring& properties) override;

private:
    // The patch code of the package at `path` (property 9 up to its first "}").
    std::wstring PatchCodeOf(const std::wstring& path) const;
    void Register(ScriptedProduct& product, const std::vector<std::wstring>& paths, std::uint32_t result);

    std::map<msi::Handle, std::wstring> handles_;  // summary path or product code
    msi::Handle nextHandle_ = 100;
};
