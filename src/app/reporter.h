#pragma once
// Localized message boxes and the string-table loader.
#include <cstdint>
#include <string>

#include "platform/platform.h"

// The product the messages are about; empty until the driver names one.
extern std::wstring CurrentProductName;

constexpr std::size_t StringCapacity = 512;
constexpr std::uint16_t FallbackLanguage = 1033;

class Reporter {
public:
    explicit Reporter(Platform& platform);

    // Sets the thread locale and makes the locale's language the one every later string
    // comes in: string-table lookups no longer follow the thread locale on current Windows.
    void SelectLanguage(std::uint32_t localeId);
    std::uint16_t SelectedLanguage() const { return language_; }

    // The text of `stringId`, cut to `maxChars` - 1 characters; empty when the selected
    // language's version lacks it; English when the table has no version in that language.
    std::wstring LoadResourceString(std::uint32_t stringId, std::size_t maxChars) const;

    // Shows message `messageId` and waits for it to be closed; does nothing under "/q".
    void ShowMessage(std::uint32_t messageId);

private:
    Platform& platform_;
    std::uint16_t language_;
};
