#include "scripted_installer.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Copies as the installer does: the text and a terminator when they fit, else 234 with the
// length needed (terminator not counted) and a cut, terminated text.
std::uint32_t CopyOut(const std::wstring& value, wchar_t* buffer, std::uint32_t& length)
{
    const std::uint32_t capacity = length;
    length = static_cast<std::uint32_t>(value.size());
    if (capacity == 0)
        return msi::MoreData;
    const std::size_t copied = std::min<std::size_t>(value.size(), capacity - 1);
    std::copy_n(value.data(), copied, buffer);
    buffer[copied] = L'\0';
    return value.size() < capacity ? msi::Success : msi::MoreData;
}

}  // namespace

std::uint32_t ScriptedInstaller::GetSummaryInformation(const std::wstring& path, msi::Handle& summary)
{
    calls.push_back(L"GetSummaryInformation");
    if (!packages.count(path))
        return 1627;  // ERROR_FUNCTION_FAILED, as msi.dll answers for a file that is no package
    summary = nextHandle_++;
    handles_[summary] = path;
    ++openHandles;
    return msi::Success;
}

std::uint32_t ScriptedInstaller::SummaryInfoGetProperty(msi::Handle summary, std::uint32_t property,
                                                        wchar_t* buffer, std::uint32_t& length)
{
    calls.push_back(L"SummaryInfoGetProperty");
    propertyReads.push_back(property);
    const auto& properties = packages.at(handles_.at(summary));
    const auto found = properties.find(property);
    if (found == properties.end()) {
        // An absent property reads as empty, with VT_EMPTY as its type.
        if (length > 0)
            buffer[0] = L'\0';
        length = 0;
        return msi::Success;
    }
    return CopyOut(found->second, buffer, length);
}

int ScriptedInstaller::QueryProductState(const std::wstring& productCode)
{
    calls.push_back(L"QueryProductState");
    const auto found = products.find(productCode);
    return found == products.end() ? -1 : found->second.state;
}

std::uint32_t ScriptedInstaller::GetProductInfo(const std::wstring& productCode, const wchar_t* attribute,
                                                wchar_t* buffer, std::uint32_t& length)
{
    calls.push_back(std::wstring(L"GetProductInfo ") + attribute);
    const auto product = products.find(productCode);
    if (product == products.end())
        return msi::UnknownProduct;
    const auto value = product->second.info.find(attribute);
    if (value == product->second.info.end())
        return 1608;  // ERROR_UNKNOWN_PROPERTY
    return CopyOut(value->second, buffer, length);
}

int ScriptedInstaller::SetInternalUI(int level)
{
    calls.push_back(L"SetInternalUI " + std::to_wstring(level));
    return std::exchange(uiLevel, level);
}

std::uint32_t ScriptedInstaller::OpenProduct(const std::wstring& productCode, msi::Handle& product)
{
    calls.push_back(L"OpenProduct");
    const auto found = products.find(productCode);
    if (found == products.end() || !found->second.opens)
        return msi::UnknownProduct;
    product = nextHandle_++;
    handles_[product] = productCode;
    ++openHandles;
    return msi::Success;
}

std::uint32_t ScriptedInstaller::GetProductProperty(msi::Handle product, const wchar_t* property,
                                                    wchar_t* buffer, std::uint32_t& length)
{
    calls.push_back(std::wstring(L"GetProductProperty ") + property);
    const ScriptedProduct& scripted = products.at(handles_.at(product));
    if (!scripted.hasLocaleId)
        return CopyOut(L"", buffer, length);
    return CopyOut(scripted.localeId, buffer, length);
}

std::uint32_t ScriptedInstaller::CloseHandle(msi::Handle handle)
{
    calls.push_back(L"CloseHandle");
    if (handles_.erase(handle) == 0)
        return 6;  // ERROR_INVALID_HANDLE: closed twice or never opened
    --openHandles;
    return msi::Success;
}

std::uint32_t ScriptedInstaller::GetProductInfoEx(const std::wstring& productCode, std::uint32_t context,
                                                  const wchar_t* property, wchar_t* buffer, std::uint32_t& length)
{
    calls.push_back(std::wstring(L"GetProductInfoEx ") + property + L" " + std::to_wstring(context));
    const auto product = products.find(productCode);
    if (product == products.end() || product->second.context != context)
        return msi::UnknownProduct;
    if (std::wstring(property) != L"State")
        return 1608;  // ERROR_UNKNOWN_PROPERTY
    return CopyOut(std::to_wstring(product->second.state), buffer, length);
}

std::uint32_t ScriptedInstaller::DeterminePatchSequence(const std::wstring& productCode, std::uint32_t context,
                                                        std::vector<msi::PatchSequenceEntry>& entries)
{
    calls.push_back(L"DeterminePatchSequence");
    sequenceContexts.push_back(context);
    std::vector<std::wstring> paths;
    for (const msi::PatchSequenceEntry& entry : entries)
        paths.push_back(entry.patchPath);
    sequenceLists.push_back(paths);
    const auto found = products.find(productCode);
    if (found == products.end())
        return msi::UnknownProduct;
    // As Wine's installer answers for a product asked about outside its own context.
    if (found->second.context != context)
        return 1610;  // ERROR_BAD_CONFIGURATION
    const ScriptedProduct& product = found->second;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto scripted = product.sequence.find(entries[i].patchPath);
        if (scripted != product.sequence.end()) {
            std::tie(entries[i].order, entries[i].status) = scripted->second;
        } else {
            entries[i].order = product.order == -1 || entries.size() == 1 ? product.order : static_cast<int>(i);
            entries[i].status = product.status;
        }
    }
    return product.sequenceResult;
}

std::uint32_t ScriptedInstaller::GetPatchInfoEx(const std::wstring& patchCode, const std::wstring& productCode,
                                                std::uint32_t context, const wchar_t* property, wchar_t* buffer,
                                                std::uint32_t& length)
{
    calls.push_back(std::wstring(L"GetPatchInfoEx ") + property);
    patchStateCodes.push_back(patchCode);
    patchStateContexts.push_back(context);
    const auto found = products.find(productCode);
    if (found == products.end() || found->second.context != context)
        return msi::UnknownProduct;
    if (!found->second.patchRegistered && !found->second.registeredPatches.count(patchCode))
        return msi::UnknownPatch;
    if (std::wstring_view(property) == L"State")
        return CopyOut(L"1", buffer, length);
    if (std::wstring_view(property) == L"Uninstallable")
        return CopyOut(found->second.uninstallable, buffer, length);
    return 1608;  // ERROR_UNKNOWN_PROPERTY
}

std::uint32_t ScriptedInstaller::EnableLog(std::uint32_t mode, const std::wstring& path, std::uint32_t)
{
    calls.push_back(L"EnableLog " + std::to_wstring(mode));
    logging = mode != msi::LogModeOff && !path.empty();
    logPath = logging ? path : L"";
    return msi::Success;
}

std::uint32_t ScriptedInstaller::ConfigureProductEx(const std::wstring& productCode, int, int,
                                                    const std::wstring& commandLine)
{
    calls.push_back(L"ConfigureProductEx");
    configured.push_back(productCode);
    commandLines.push_back(commandLine);
    uiLevelsAtConfigure.push_back(uiLevel);
    logsAtConfigure.push_back(logPath);
    if (onConfigure)
        onConfigure();
    ScriptedProduct& product = products.at(productCode);
    std::vector<std::wstring> given;
    for (const auto& [path, summary] : packages)
        if (commandLine.find(L"PATCH=\"" + path + L"\"") != std::wstring::npos)
            given.push_back(path);
    Register(product, given, product.configureResult);
    return product.configureResult;
}

std::uint32_t ScriptedInstaller::ApplyMultiplePatches(const std::wstring& patchPaths, const std::wstring& productCode,
                                                      const std::wstring& properties)
{
    calls.push_back(L"ApplyMultiplePatches");
    multipleApplications.push_back({patchPaths, productCode, properties, uiLevel, logPath});
    ScriptedProduct& product = products.at(productCode);
    std::vector<std::wstring> given;
    for (std::size_t start = 0; start <= patchPaths.size();) {
        const std::size_t end = std::min(patchPaths.find(L';', start), patchPaths.size());
        given.push_back(patchPaths.substr(start, end - start));
        start = end + 1;
    }
    Register(product, given, product.configureResult);
    return product.configureResult;
}

std::wstring ScriptedInstaller::PatchCodeOf(const std::wstring& path) const
{
    const auto package = packages.find(path);
    if (package == packages.end() || !package->second.count(9))
        return L"";
    const std::wstring& revision = package->second.at(9);
    return revision.substr(0, revision.find(L'}') + 1);
}

void ScriptedInstaller::Register(ScriptedProduct& product, const std::vector<std::wstring>& paths,
                                 std::uint32_t result)
{
    if (!product.applyingTakes || (result != msi::Success && result != msi::RebootRequired && result != msi::RebootInitiated))
        return;
    for (const std::wstring& path : paths)
        product.registeredPatches.insert(PatchCodeOf(path));
}

std::uint32_t ScriptedInstaller::RemovePatches(const std::wstring& patchCodes, const std::wstring& productCode,
                                               const std::wstring& properties)
{
    calls.push_back(L"RemovePatches");
    removals.push_back({patchCodes, productCode, properties, uiLevel, logPath});
    ScriptedProduct& product = products.at(productCode);
    const std::uint32_t result = product.removeResult;
    if (product.removalTakes && (result == msi::Success || result == msi::RebootRequired || result == msi::RebootInitiated)) {
        product.patchRegistered = false;
        product.registeredPatches.clear();
    }
    return product.removeResult;
}
