#pragma once
// A stand-in for the kernel and user services: a string table, a last-error value, a
// temporary directory and files, and a record of every message box.
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/platform.h"

struct Box {
    std::wstring text;
    std::wstring caption;
    std::uint32_t style;
};

class ScriptedPlatform : public Platform {
public:
    std::map<std::uint16_t, std::map<std::uint32_t, std::wstring>> stringTable;
    std::uint16_t uiLanguage = 1033;
    std::uint32_t lastError = 0;
    std::uint32_t lastErrorReads = 0;
    std::vector<std::uint32_t> threadLocales;
    std::vector<Box> boxes;
    std::optional<std::wstring> temporaryDirectory = std::wstring(L"C:\\Temp\\");
    bool extractionFails = false;
    std::wstring extractedName = L"C:\\Temp\\MSP1";
    std::optional<std::wstring> upToDateVersion = std::wstring(L"12.2.0.4");
    std::set<std::wstring> files;
    std::vector<std::wstring> removed;

    std::uint32_t LastError() override;
    void SetLastErrorValue(std::uint32_t value) override { lastError = value; }
    void SetThreadLocaleId(std::uint32_t localeId) override { threadLocales.push_back(localeId); }
    std::uint16_t UserInterfaceLanguage() override { return uiLanguage; }
    std::optional<std::wstring> StringTableText(std::uint32_t id, std::uint16_t language) override;
    void ShowMessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t style) override;
    std::optional<std::wstring> TemporaryDirectory() override { return temporaryDirectory; }
    std::optional<std::wstring> FullPathName(const std::wstring& path, std::size_t capacity) override;
    bool RemoveFile(const std::wstring& path) override;
    bool ExtractPatchPackage(std::wstring& packagePath) override;
    std::optional<std::wstring> EmbeddedUpToDateVersion() override;
};

// The English texts of the wrapper's table, and a German version for language tests.
void LoadEnglishAndGerman(ScriptedPlatform& platform);
