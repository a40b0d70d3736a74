#include "scripted_platform.h"

std::uint32_t ScriptedPlatform::LastError()
{
    ++lastErrorReads;
    return lastError;
}

std::optional<std::wstring> ScriptedPlatform::StringTableText(std::uint32_t id, std::uint16_t language)
{
    // Loading a string may change the last-error value, as the real loader may.
    lastError = 0xDEAD;
    const auto version = stringTable.find(language);
    if (version == stringTable.end())
        return std::nullopt;
    const auto text = version->second.find(id);
    return text == version->second.end() ? std::wstring() : text->second;
}

void ScriptedPlatform::ShowMessageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t style)
{
    boxes.push_back({text, caption, style});
}

std::optional<std::wstring> ScriptedPlatform::FullPathName(const std::wstring& path, std::size_t capacity)
{
    if (path.empty() || path.size() >= capacity)
        return std::nullopt;
    return path;
}

bool ScriptedPlatform::RemoveFile(const std::wstring& path)
{
    removed.push_back(path);
    if (held.count(path)) {
        removedWhileHeld.push_back(path);
        lastError = 32;  // ERROR_SHARING_VIOLATION
        return false;
    }
    return files.erase(path) == 1;
}

bool ScriptedPlatform::CreateFolders(const std::wstring& path)
{
    if (foldersFail) {
        lastError = 5;  // ERROR_ACCESS_DENIED
        return false;
    }
    folders.insert(path);
    return true;
}

std::optional<std::wstring> ScriptedPlatform::CreateTemporaryFolder()
{
    if (foldersFail || !temporaryDirectory) {
        lastError = 5;
        return std::nullopt;
    }
    const std::wstring folder = *temporaryDirectory + L"MSP" + std::to_wstring(nextTemporaryFolder++);
    folders.insert(folder);
    return folder + L"\\";
}

bool ScriptedPlatform::ExtractPatchPackage(const std::wstring& resourceName, std::wstring& packagePath)
{
    extractedResources.push_back(resourceName);
    if (extractionFails || resourceName == failingResource) {
        lastError = extractionError;
        return false;
    }
    if (packagePath.empty())
        packagePath = resourceName == L"IDR_MSP" ? extractedName : L"C:\\Temp\\MSPSET" + resourceName.substr(7);
    files.insert(packagePath);
    if (extractionFallsShort) {
        lastError = 112;  // ERROR_DISK_FULL
        return false;
    }
    return true;
}

namespace {

class ScriptedHeldFile final : public HeldFile {
public:
    ScriptedHeldFile(ScriptedPlatform& platform, std::wstring path) : platform_(platform), path_(std::move(path))
    {
        platform_.held.insert(path_);
    }
    ~ScriptedHeldFile() override { platform_.held.erase(path_); }

private:
    ScriptedPlatform& platform_;
    std::wstring path_;
};

}  // namespace

std::unique_ptr<HeldFile> ScriptedPlatform::ExtractAndHoldPatchPackage(const std::wstring& resourceName,
                                                                       std::wstring& packagePath)
{
    if (!ExtractPatchPackage(resourceName, packagePath))
        return nullptr;
    return std::make_unique<ScriptedHeldFile>(*this, packagePath);
}

std::optional<std::wstring> ScriptedPlatform::EmbeddedUpToDateVersion()
{
    if (!upToDateVersion)
        lastError = 1813;  // ERROR_RESOURCE_TYPE_NOT_FOUND, as the stub answers
    return upToDateVersion;
}

void LoadEnglishAndGerman(ScriptedPlatform& platform)
{
    platform.stringTable[1033] = {
        {300, L"A problem prevented the %s from being installed. Contact your system administrator. \n\n Error Code: %d"},
        {301, L"The %s has been successfully installed."},
        {302, L"The installer has detected that the following programs\nare running.\n\n%s\nIn order to complete installation, these programs must\nbe closed.\n%s"},
        {306, L"Your version of %s is up-to-date and this %s is not necessary."},
        {307, L"The %s could not be installed because the expected Korvanta product could not be located on your computer.\nMake sure that you are using the correct %s for the product."},
        {308, L"This %s could not be installed because it is not designed for the version of %s that is installed on your computer."},
        {311, L"Installation Error"},
        {312, L"Installation Successful"},
        {313, L"Installation Unnecessary"},
        {320, L"The following applications should be closed before continuing the install:"},
        {321, L"The %s has been successfully removed."},
        {322, L"The %s is not installed on this computer. There is nothing to remove."},
        {323, L"The %s cannot be removed from %s."},
        {324, L"A problem prevented the %s from being removed. Contact your system administrator. \n\n Error Code: %d"},
        {325, L"Removal Successful"},
        {326, L"Removal Unnecessary"},
        {327, L"Removal Error"},
        {330, L"Usage: [options]\n"
              L"\n"
              L"/q\tno message boxes\n"
              L"/quiet\tno message boxes, no installer window\n"
              L"/passive\tno message boxes, installer progress only\n"
              L"/norestart\tnever restart the computer; exit code 3010 instead\n"
              L"/uninstall, /x\tremove the service pack\n"
              L"/log <file>\twrite the run log to <file>\n"
              L"/e <path>\textract the patch package only\n"
              L"/i\tlist the target products only\n"
              L"/?, /help\tshow this help\n"
              L"\n"
              L"Exit codes: 0 success, 3010 restart required, 1641 restart started, 1618 another installation is running, 1642 no target product installed, 1646 cannot be removed, any other: failure."},
        {331, L"Service Pack Options"},
    };
    platform.stringTable[1031] = {
        {300, L"Das Service Pack konnte nicht installiert werden. \n\n Fehlercode: %d"},
        {306, L"DE %s aktuell %s"},
        {308, L"DE %s passt nicht zu %s"},
        {311, L"Installationsfehler"},
        {313, L"Installation nicht erforderlich"},
        {320, L"Schließen Sie die folgenden Anwendungen:"},
        {321, L"Das %s wurde erfolgreich entfernt."},
        {322, L"Das %s ist auf diesem Computer nicht installiert. Es gibt nichts zu entfernen."},
        {323, L"Das %s kann nicht von %s entfernt werden."},
        {324, L"Das Service Pack konnte aufgrund eines Problems nicht entfernt werden. Wenden Sie sich an Ihren Systemadministrator. \n\n Fehlercode: %d"},
        {325, L"Entfernen erfolgreich"},
        {326, L"Entfernen nicht erforderlich"},
        {327, L"Fehler beim Entfernen"},
        {330, L"Verwendung: [Optionen]\n"
              L"\n"
              L"/q\tkeine Meldungsfenster\n"
              L"/quiet\tkeine Meldungsfenster, kein Installationsfenster\n"
              L"/passive\tkeine Meldungsfenster, nur der Installationsfortschritt\n"
              L"/norestart\tden Computer nie neu starten; stattdessen Exitcode 3010\n"
              L"/uninstall, /x\tdas Service Pack entfernen\n"
              L"/log <Datei>\tdas Protokoll der Ausführung in <Datei> schreiben\n"
              L"/e <Pfad>\tnur das Patchpaket extrahieren\n"
              L"/i\tnur die Zielprodukte auflisten\n"
              L"/?, /help\tdiese Hilfe anzeigen\n"
              L"\n"
              L"Exitcodes: 0 Erfolg, 3010 Neustart erforderlich, 1641 Neustart eingeleitet, 1618 eine andere Installation wird ausgeführt, 1642 kein Zielprodukt installiert, 1646 kann nicht entfernt werden, andere: Fehler."},
        {331, L"Optionen für das Service Pack"},
    };
}

void LoadEveryTableLanguage(ScriptedPlatform& platform)
{
    for (std::uint16_t language : {1028, 1029, 1031, 1033, 1034, 1036, 1038, 1040, 1041, 1042, 1045, 1046, 1049, 2052}) {
        if (platform.stringTable.count(language))
            continue;
        platform.stringTable[language] = {{311, L"Error " + std::to_wstring(language)},
                                          {320, L"Files " + std::to_wstring(language)}};
    }
}
