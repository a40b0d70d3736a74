#pragma once
// Localized message boxes and the string-table loader.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "runlog/run_log.h"

// The product the messages are about; empty until the driver names one.
extern std::wstring CurrentProductName;

constexpr std::size_t StringCapacity = 512;
constexpr std::uint16_t FallbackLanguage = 1033;

// The table's version that stands in for `language` when the table has no version in that
// language itself: the one of the same primary language, which for every language of the
// table is the default sublanguage (Spanish 1034 for the modern sort 3082, German 1031 for
// 3079 and 2055, French 1036 for 3084, Portuguese 1046 for 2070); Chinese goes by script
// instead (Hong Kong, Macao and Traditional to 1028; Singapore and Simplified to 2052).
std::uint16_t SameFamilyLanguage(std::uint16_t language);

class Reporter {
public:
    // Asks the platform once whether anyone can see a window (WindowStationVisible). Every
    // message, shown or not, is entered in `log`.
    Reporter(Platform& platform, runlog::RunLog& log);

    // False on a window station no one sees (a service's, SYSTEM's in session 0): then no box
    // is shown in any mode, as under "/q", and the installer's UI is kept to progress.
    bool WindowsVisible() const { return windowsVisible_; }

    // Sets the thread locale and makes the locale's language the one every later string
    // comes in: string-table lookups no longer follow the thread locale on current Windows.
    // A locale without a language of its own (0: an empty or unreadable "Language") brings
    // back the user's interface language, which was in force before any product.
    void SelectLanguage(std::uint32_t localeId);
    std::uint16_t SelectedLanguage() const { return language_; }

    // The text of `stringId`, cut to `maxChars` - 1 characters, from the selected language's
    // version; where the table has no version in that language, from the version of the
    // same family (SameFamilyLanguage), else from English. Empty when the version found
    // lacks the id.
    std::wstring LoadResourceString(std::uint32_t stringId, std::size_t maxChars) const;

    // Shows message `messageId` and waits for it to be closed; shows nothing under the quiet
    // options (but the usage, which was asked for) or where no one can see it.
    void ShowMessage(std::uint32_t messageId);

private:
    Platform& platform_;
    runlog::RunLog& log_;
    const std::uint16_t userInterfaceLanguage_;
    const bool windowsVisible_;
    std::uint16_t language_;
};
