#pragma once
// The kernel and user services that the wrapper's decisions need, as one seam: the Windows
// build implements it with the real calls, host tests with a scripted machine.
#include <cstdint>
#include <optional>
#include <string>

class Platform {
public:
    virtual ~Platform() = default;

    virtual std::uint32_t LastError() = 0;
    virtual void SetLastErrorValue(std::uint32_t value) = 0;
    virtual void SetThreadLocaleId(std::uint32_t localeId) = 0;
    virtual std::uint16_t UserInterfaceLanguage() = 0;
    // The text of `id` in the string table's `language` version; no value when the table has
    // no version in that language at all, an empty text when that version lacks the id.
    virtual std::optional<std::wstring> StringTableText(std::uint32_t id,
                                                        std::uint16_t language) = 0;
    virtual void ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                                std::uint32_t style) = 0;
    // GetTempPathW in full, with its trailing separator; no value when it fails
    virtual std::optional<std::wstring> TemporaryDirectory() = 0;
    // GetFullPathNameW; no value when the call fails or needs `capacity` characters or more
    virtual std::optional<std::wstring> FullPathName(const std::wstring& path,
                                                     std::size_t capacity) = 0;
    virtual bool RemoveFile(const std::wstring& path) = 0;
    // Writes the embedded package to `packagePath`, or to a new temporary file whose name it
    // stores there when `packagePath` is empty.
    virtual bool ExtractPatchPackage(std::wstring& packagePath) = 0;
    // The embedded up-to-date version; no value when it is missing or damaged, with the
    // last-error value saying why.
    virtual std::optional<std::wstring> EmbeddedUpToDateVersion() = 0;
};
