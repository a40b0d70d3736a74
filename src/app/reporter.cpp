#include "reporter.h"

#include "messages.h"
#include "run_options.h"

std::wstring CurrentProductName;

Reporter::Reporter(Platform& platform)
    : platform_(platform), language_(platform.UserInterfaceLanguage())
{
}

void Reporter::SelectLanguage(std::uint32_t localeId)
{
    platform_.SetThreadLocaleId(localeId);
    language_ = static_cast<std::uint16_t>(localeId & 0xFFFF);
}

std::wstring Reporter::LoadResourceString(std::uint32_t stringId, std::size_t maxChars) const
{
    std::optional<std::wstring> text = platform_.StringTableText(stringId, language_);
    if (!text)
        text = platform_.StringTableText(stringId, FallbackLanguage);
    if (!text || maxChars == 0)
        return {};
    return text->substr(0, std::min(text->find(L'\0'), maxChars - 1));
}

void Reporter::ShowMessage(std::uint32_t messageId)
{
    if (RunOptions.quiet)
        return;
    // Read before any string is loaded: the loads may change it.
    const auto errorCode = static_cast<std::int32_t>(platform_.LastError());
    const std::optional<message::Entry> entry = message::Find(messageId);
    if (!entry)
        return;

    const std::size_t capacity = LoadResourceString(messageId, StringCapacity).size() + 1024;
    const std::wstring text = LoadResourceString(entry->textId, StringCapacity);
    std::vector<std::wstring_view> values;
    for (message::Value value : entry->values)
        values.push_back(value == message::Value::Word ? message::Word
                                                       : std::wstring_view(CurrentProductName));
    const std::wstring filled = message::Fill(text, values, errorCode, capacity);
    platform_.ShowMessageBox(filled, LoadResourceString(entry->captionId, StringCapacity),
                             entry->style);
}
