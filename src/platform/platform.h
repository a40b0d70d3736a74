#pragma once
// The kernel and user services that the wrapper's decisions need, as one seam: the Windows
// build implements it with the real calls, host tests with a scripted machine.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A file held open for as long as this lives: others may read it, but not write, rename or
// delete it, and neither may the holder itself delete it. Destroying it lets the file go.
class HeldFile {
public:
    virtual ~HeldFile() = default;
};

// The one service the package's summary reads need, apart so that the maker, which reads
// packages as the wrapper does, needs nothing else of the wrapper's platform.
class PathNames {
public:
    virtual ~PathNames() = default;
    // GetFullPathNameW; no value when the call fails or needs `capacity` characters or more
    virtual std::optional<std::wstring> FullPathName(const std::wstring& path,
                                                     std::size_t capacity) = 0;
};

class Platform : public PathNames {
public:

    virtual std::uint32_t LastError() = 0;
    virtual void SetLastErrorValue(std::uint32_t value) = 0;
    virtual void SetThreadLocaleId(std::uint32_t localeId) = 0;
    virtual std::uint16_t UserInterfaceLanguage() = 0;
    // The text of `id` in the string table's `language` version; no value when the table has
    // no version in that language at all, an empty text when that version lacks the id.
    virtual std::optional<std::wstring> StringTableText(std::uint32_t id,
                                                        std::uint16_t language) = 0;
    // Whether the process's window station is visible (WSF_VISIBLE): a service's, or SYSTEM's
    // in session 0, is not, and a box shown there waits for a click that never comes.
    virtual bool WindowStationVisible() = 0;
    virtual void ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                std::uint32_t style) = 0;
    // The temporary folder (GetTempPath2W where the system has it, else GetTempPathW) in full,
    // with its trailing separator; no value when it fails
    virtual std::optional<std::wstring> TemporaryDirectory() = 0;
    virtual bool RemoveFile(const std::wstring& path) = 0;
    // The folder and each missing folder on the way to it; true when it is a folder now.
    virtual bool CreateFolders(const std::wstring& path) = 0;
    // A new "MSP<number>" folder in the temporary folder, created where nothing stood; its
    // path with a trailing separator, or no value with the last error of the last try.
    virtual std::optional<std::wstring> CreateTemporaryFolder() = 0;
    // Writes the embedded package of resource `resourceName` ("MSP" type) to `packagePath`,
    // or to a new temporary file whose name it stores there when `packagePath` is empty, and
    // makes sure the file holds exactly the package; the file is closed again when it
    // returns. On failure the last-error value is the failing step's own, and an empty
    // `packagePath` stays empty unless a file was created under the name (one that was
    // written short, or does not match, stays there).
    virtual bool ExtractPatchPackage(const std::wstring& resourceName, std::wstring& packagePath) = 0;
    // The same for the modes that change products, which keep the file held (HeldFile) from
    // the check that it holds the package until they let go of the result, just before they
    // delete the file; null on failure.
    virtual std::unique_ptr<HeldFile> ExtractAndHoldPatchPackage(const std::wstring& resourceName,
                                                                 std::wstring& packagePath) = 0;
    // The embedded up-to-date version; no value when it is missing or damaged, with the
    // last-error value saying why.
    virtual std::optional<std::wstring> EmbeddedUpToDateVersion() = 0;
    // The bytes of the set resource ("MSPSET"/"IDR_MSPSET"); no value for a wrapper of one
    // patch, which has none.
    virtual std::optional<std::vector<std::byte>> EmbeddedSetResource() = 0;
};
