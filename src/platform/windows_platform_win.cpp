#include "platform/windows_platform_win.h"

#include <utility>
#include <vector>

#include "package/extract_win.h"
#include "platform/path_names_win.h"

HINSTANCE ModuleInstance = nullptr;

std::uint32_t WindowsPlatform::LastError() { return GetLastError(); }

void WindowsPlatform::SetLastErrorValue(std::uint32_t value) { SetLastError(value); }

void WindowsPlatform::SetThreadLocaleId(std::uint32_t localeId) { SetThreadLocale(localeId); }

std::uint16_t WindowsPlatform::UserInterfaceLanguage() { return GetUserDefaultUILanguage(); }

namespace {

BOOL CALLBACK NoteLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR wanted)
{
    auto* found = reinterpret_cast<std::pair<WORD, bool>*>(wanted);
    found->second = found->second || language == found->first;
    return TRUE;
}

// Whether the module holds `name` of `type` in exactly `language`. FindResourceExW alone
// cannot tell: where that language is missing, Windows goes on to other versions (the
// primary language, neutral, English, then any), so it would answer in a language the
// caller did not ask for.
bool HoldsLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, std::uint16_t language)
{
    std::pair<WORD, bool> found{language, false};
    EnumResourceLanguagesW(module, type, name, NoteLanguage, reinterpret_cast<LONG_PTR>(&found));
    return found.second;
}

}  // namespace

// String tables are stored in blocks of sixteen counted strings; block n + 1 holds the ids
// 16n to 16n + 15. Reading the block of the wanted language directly makes the language ours
// to choose, whatever the thread's UI language is.
std::optional<std::wstring> WindowsPlatform::StringTableText(std::uint32_t id, std::uint16_t language)
{
    const LPCWSTR type = MAKEINTRESOURCEW(6);  // RT_STRING
    const LPCWSTR name = MAKEINTRESOURCEW(id / 16 + 1);
    if (!HoldsLanguage(ModuleInstance, type, name, language))
        return std::nullopt;
    HRSRC block = FindResourceExW(ModuleInstance, type, name, language);
    HGLOBAL loaded = block ? LoadResource(ModuleInstance, block) : nullptr;
    const auto* entry = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!entry)
        return std::nullopt;
    const wchar_t* const end = entry + SizeofResource(ModuleInstance, block) / sizeof(wchar_t);
    for (std::uint32_t index = id % 16; entry < end; --index) {
        const std::size_t length = std::min<std::size_t>(*entry, end - entry - 1);
        if (index == 0)
            return std::wstring(entry + 1, length);
        entry += 1 + length;
    }
    return std::wstring();
}

// A station that cannot be asked counts as visible: boxes are then shown as they always were.
bool WindowsPlatform::WindowStationVisible()
{
    const HWINSTA station = processWindowStation_ ? processWindowStation_() : nullptr;
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (!station || !userObjectInformation_ ||
        !userObjectInformation_(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void WindowsPlatform::ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                     std::uint32_t style)
{
    if (messageBox_)
        messageBox_(nullptr, text.c_str(), caption.c_str(), style);
}

std::optional<std::wstring> WindowsPlatform::TemporaryDirectory()
{
    return package::TemporaryDirectory();
}

std::optional<std::wstring> WindowsPlatform::FullPathName(const std::wstring& path, std::size_t capacity)
{
    return WindowsPathNames().FullPathName(path, capacity);
}

bool WindowsPlatform::RemoveFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != 0; }

bool WindowsPlatform::CreateFolders(const std::wstring& path) { return package::CreateFolders(path); }

std::optional<std::wstring> WindowsPlatform::CreateTemporaryFolder() { return package::CreateTemporaryFolder(); }

bool WindowsPlatform::ExtractPatchPackage(const std::wstring& resourceName, std::wstring& packagePath)
{
    return package::ExtractPatchPackage(ModuleInstance, resourceName, packagePath);
}

namespace {

class HeldPackage final : public HeldFile {
public:
    explicit HeldPackage(UniqueKernelHandle file) : file_(std::move(file)) {}

private:
    UniqueKernelHandle file_;
};

}  // namespace

std::unique_ptr<HeldFile> WindowsPlatform::ExtractAndHoldPatchPackage(const std::wstring& resourceName,
                                                                      std::wstring& packagePath)
{
    UniqueKernelHandle held;
    if (!package::ExtractPatchPackage(ModuleInstance, resourceName, packagePath, &held))
        return nullptr;
    return std::make_unique<HeldPackage>(std::move(held));
}

std::optional<std::wstring> WindowsPlatform::EmbeddedUpToDateVersion()
{
    return package::EmbeddedUpToDateVersion(ModuleInstance);
}

std::optional<std::vector<std::byte>> WindowsPlatform::EmbeddedSetResource()
{
    return package::EmbeddedSetResource(ModuleInstance);
}
