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
    // The captions of the boxes shown, in order: which outcome each was.
    std::vector<std::wstring> Captions() const
    {
        std::vector<std::wstring> captions;
        for (const Box& box : boxes)
            captions.push_back(box.caption);
        return captions;
    }
    std::optional<std::wstring> temporaryDirectory = std::wstring(L"C:\\Temp\\");
    // False for a window station no one sees: a service's, or SYSTEM's in session 0.
    bool windowStationVisible = true;
    std::uint32_t windowStationQueries = 0;
    // The file cannot be created: no file, a temporary name stays empty, last error as set.
    bool extractionFails = false;
    // The file is created but written short: it stays, under its name, with last error 112.
    bool extractionFallsShort = false;
    std::uint32_t extractionError = 5;  // ERROR_ACCESS_DENIED, a temporary folder refusing
    std::wstring extractedName = L"C:\\Temp\\MSP1";
    // A set's packages, by resource name ("IDR_MSP<n>"), are extracted to "C:\Temp\MSPSET<n>";
    // the one named here fails as `extractionFails` does.
    std::wstring failingResource;
    std::vector<std::wstring> extractedResources;  // in the order asked for
    std::optional<std::vector<std::byte>> setResource;  // the wrapper carries one patch without it
    std::set<std::wstring> folders;                     // folders made
    bool foldersFail = false;
    std::uint32_t nextTemporaryFolder = 7;
    std::optional<std::wstring> upToDateVersion = std::wstring(L"12.2.0.4");
    std::set<std::wstring> files;
    // Files held open (HeldFile): as on Windows, no one can delete them, not even the holder.
    std::set<std::wstring> held;
    std::vector<std::wstring> removed;           // every deletion asked for
    std::vector<std::wstring> removedWhileHeld;  // those that failed because the file was held

    std::uint32_t LastError() override;
    void SetLastErrorValue(std::uint32_t value) override { lastError = value; }
    void SetThreadLocaleId(std::uint32_t localeId) override { threadLocales.push_back(localeId); }
    std::uint16_t UserInterfaceLanguage() override { return uiLanguage; }
    std::optional<std::wstring> StringTableText(std::uint32_t id, std::uint16_t language) override;
    bool WindowStationVisible() override
    {
        ++windowStationQueries;
        return windowStationVisible;
    }
    void ShowMessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t style) override;
    std::optional<std::wstring> TemporaryDirectory() override { return temporaryDirectory; }
    std::optional<std::wstring> FullPathName(const std::wstring& path, std::size_t capacity) override;
    bool RemoveFile(const std::wstring& path) override;
    bool CreateFolders(const std::wstring& path) override;
    std::optional<std::wstring> CreateTemporaryFolder() override;
    bool ExtractPatchPackage(const std::wstring& resourceName, std::wstring& packagePath) override;
    std::unique_ptr<HeldFile> ExtractAndHoldPatchPackage(const std::wstring& resourceName,
                                                         std::wstring& packagePath) override;
    std::optional<std::wstring> EmbeddedUpToDateVersion() override;
    std::optional<std::vector<std::byte>> EmbeddedSetResource() override { return setResource; }
};

// The English texts of the wrapper's table, and a German version for language tests.
void LoadEnglishAndGerman(ScriptedPlatform& platform);

// The fourteen languages of the wrapper's string table, the ones already loaded left as they
// are; each new version has only its caption 311, "Error <language id>", and its text 320,
// "Files <language id>", so that a test sees which version a string came from.
void LoadEveryTableLanguage(ScriptedPlatform& platform);
