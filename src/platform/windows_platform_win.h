#pragma once
#include <windows.h>

#include "platform/platform.h"
#include "platform/system_library_win.h"

// The module whose resources hold the package and the string table.
extern HINSTANCE ModuleInstance;

class WindowsPlatform final : public Platform {
public:
    std::uint32_t LastError() override;
    void SetLastErrorValue(std::uint32_t value) override;
    void SetThreadLocaleId(std::uint32_t localeId) override;
    std::uint16_t UserInterfaceLanguage() override;
    std::optional<std::wstring> StringTableText(std::uint32_t id, std::uint16_t language) override;
    bool WindowStationVisible() override;
    void ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                        std::uint32_t style) override;
    std::optional<std::wstring> TemporaryDirectory() override;
    std::optional<std::wstring> FullPathName(const std::wstring& path, std::size_t capacity) override;
    bool RemoveFile(const std::wstring& path) override;
    bool CreateFolders(const std::wstring& path) override;
    std::optional<std::wstring> CreateTemporaryFolder() override;
    bool ExtractPatchPackage(const std::wstring& resourceName, std::wstring& packagePath) override;
    std::unique_ptr<HeldFile> ExtractAndHoldPatchPackage(const std::wstring& resourceName,
                                                         std::wstring& packagePath) override;
    std::optional<std::wstring> EmbeddedUpToDateVersion() override;
    std::optional<std::vector<std::byte>> EmbeddedSetResource() override;

private:
    SystemLibrary user32_{L"user32.dll"};
    decltype(&::MessageBoxW) messageBox_ = user32_.Bind<decltype(&::MessageBoxW)>("MessageBoxW");
    decltype(&::GetProcessWindowStation) processWindowStation_ =
        user32_.Bind<decltype(&::GetProcessWindowStation)>("GetProcessWindowStation");
    decltype(&::GetUserObjectInformationW) userObjectInformation_ =
        user32_.Bind<decltype(&::GetUserObjectInformationW)>("GetUserObjectInformationW");
};
