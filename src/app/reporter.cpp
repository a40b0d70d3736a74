#include "reporter.h"

#include "messages.h"
#include "platform/decimal.h"
#include "run_options.h"

std::wstring CurrentProductName;

namespace {

constexpr std::uint16_t PrimaryLanguage(std::uint16_t language) { return language & 0x3FF; }
constexpr std::uint16_t SubLanguage(std::uint16_t language) { return language >> 10; }

constexpr std::uint16_t LanguageNeutral = 0x00;
constexpr std::uint16_t LanguageChinese = 0x04;
constexpr std::uint16_t SubLanguageDefault = 0x01;
constexpr std::uint16_t ChineseTraditional = 1028;  // Taiwan
constexpr std::uint16_t ChineseSimplified = 2052;   // PRC
// Sublanguages of Chinese written in traditional characters: Taiwan, Hong Kong, Macao, and
// 0x1F, the script-only "zh-Hant" (0x7C04). The others (PRC, Singapore, the script-only
// "zh-Hans" 0x0004) are written in simplified ones.
constexpr bool IsTraditionalChinese(std::uint16_t subLanguage)
{
    return subLanguage == 0x01 || subLanguage == 0x03 || subLanguage == 0x05 || subLanguage == 0x1F;
}

}  // namespace

std::uint16_t SameFamilyLanguage(std::uint16_t language)
{
    if (PrimaryLanguage(language) == LanguageChinese)
        return IsTraditionalChinese(SubLanguage(language)) ? ChineseTraditional : ChineseSimplified;
    return static_cast<std::uint16_t>(SubLanguageDefault << 10 | PrimaryLanguage(language));
}

Reporter::Reporter(Platform& platform, runlog::RunLog& log)
    : platform_(platform),
      log_(log),
      userInterfaceLanguage_(platform.UserInterfaceLanguage()),
      windowsVisible_(platform.WindowStationVisible()),
      language_(userInterfaceLanguage_)
{
}

void Reporter::SelectLanguage(std::uint32_t localeId)
{
    platform_.SetThreadLocaleId(localeId);
    const auto language = static_cast<std::uint16_t>(localeId & 0xFFFF);
    // A neutral primary language (0, LANG_USER_DEFAULT, LANG_SYSTEM_DEFAULT) names no version.
    language_ = PrimaryLanguage(language) == LanguageNeutral ? userInterfaceLanguage_ : language;
}

std::wstring Reporter::LoadResourceString(std::uint32_t stringId, std::size_t maxChars) const
{
    std::optional<std::wstring> text = platform_.StringTableText(stringId, language_);
    if (!text)
        text = platform_.StringTableText(stringId, SameFamilyLanguage(language_));
    if (!text)
        text = platform_.StringTableText(stringId, FallbackLanguage);
    if (!text || maxChars == 0)
        return {};
    return text->substr(0, std::min(text->find(L'\0'), maxChars - 1));
}

void Reporter::ShowMessage(std::uint32_t messageId)
{
    const std::optional<message::Entry> entry = message::Find(messageId);
    if (!entry)
        return;
    const std::wstring name = L"Message " + Decimal(messageId);
    // A box no one can see would wait for its click until the deployment engine gives up.
    if (!windowsVisible_) {
        log_.Info(name + L" not shown: no one can see a window on this window station");
        return;
    }
    if (RunOptions.quiet && !entry->requested) {
        log_.Info(name + L" not shown: a quiet option was given");
        return;
    }
    // Read before any string is loaded: the loads may change it.
    const auto errorCode = static_cast<std::int32_t>(platform_.LastError());
    const std::size_t capacity = LoadResourceString(messageId, entry->textChars).size() + 1024;
    const std::wstring text = LoadResourceString(entry->textId, entry->textChars);
    std::vector<std::wstring_view> values;
    for (message::Value value : entry->values)
        values.push_back(value == message::Value::Word ? message::Word
                                                       : std::wstring_view(CurrentProductName));
    const std::wstring filled = message::Fill(text, values, errorCode, capacity);
    const std::wstring caption = LoadResourceString(entry->captionId, StringCapacity);
    const std::wstring shown = name + L" shown: " + caption + L": " + filled;
    if (entry->style == message::StyleError)
        log_.Error(shown);
    else
        log_.Info(shown);
    platform_.ShowMessageBox(filled, caption, entry->style);
}
