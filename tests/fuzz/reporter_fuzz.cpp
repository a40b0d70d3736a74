// Message boxes from an arbitrary string table and product name. The input: flags (1 byte),
// message, user-interface language, selected locale (1 byte each), the last error (4), the
// product name, then string-table entries as language (1), id (1) and text until the end.
#include "app/messages.h"
#include "app/reporter.h"
#include "app/run_options.h"
#include "fuzz_input.h"
#include "require.h"
#include "recorded_log.h"
#include "scripted_platform.h"

namespace {

using StringTable = std::map<std::uint16_t, std::map<std::uint32_t, std::wstring>>;

constexpr std::uint8_t Quiet = 0x01;
constexpr std::uint8_t SelectsLanguage = 0x02;

std::uint32_t PickId(FuzzInput& input)
{
    return input.Pick<std::uint32_t>({300, 301, 302, 303, 306, 307, 308, 311, 312, 313, 316, 320, 0});
}

std::uint32_t PickLocale(FuzzInput& input)
{
    return input.Pick<std::uint32_t>({1033, 1031, 0x10407, 1036, 0, 3079, 3082, 1034, 3076, 4100, 1028, 2052,
                                      0x400});
}

// The version that stands in for a language the table lacks, by the rule of issue 11: the
// table's language of the same primary language (its default sublanguage), Chinese by script.
std::uint16_t Family(std::uint16_t language)
{
    const std::uint16_t primary = language & 0x3FF;
    const std::uint16_t sub = language >> 10;
    if (primary == 0x04)
        return (sub == 1 || sub == 3 || sub == 5 || sub == 0x1F) ? 1028 : 2052;
    return static_cast<std::uint16_t>(1 << 10 | primary);
}

// The string as the loader should give it: the language's version, else its family's, else
// English, cut at a NUL and to 511 characters.
std::wstring ExpectedString(const StringTable& table, std::uint16_t language, std::uint32_t id)
{
    auto version = table.find(language);
    if (version == table.end())
        version = table.find(Family(language));
    if (version == table.end())
        version = table.find(FallbackLanguage);
    if (version == table.end() || !version->second.count(id))
        return {};
    const std::wstring& text = version->second.at(id);
    return text.substr(0, std::min(text.find(L'\0'), StringCapacity - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const std::uint32_t messageId = PickId(input);
    ScriptedPlatform platform;
    platform.uiLanguage = static_cast<std::uint16_t>(PickLocale(input));
    const std::uint32_t locale = PickLocale(input);
    platform.lastError = input.Number(4);
    RunOptions = {};
    RunOptions.quiet = flags & Quiet;
    CurrentProductName = input.Text();
    while (!input.AtEnd()) {
        const auto language = static_cast<std::uint16_t>(PickLocale(input));
        const std::uint32_t id = PickId(input);
        platform.stringTable[language][id] = input.Text();
    }
    const StringTable table = platform.stringTable;

    RecordedLog log;
    Reporter reporter(platform, log);
    if (flags & SelectsLanguage)
        reporter.SelectLanguage(locale);
    // A locale whose primary language is neutral names no language: the interface one holds.
    const bool named = (flags & SelectsLanguage) && (locale & 0x3FF) != 0;
    const std::uint16_t language = named ? std::uint16_t(locale & 0xFFFF) : platform.uiLanguage;
    reporter.ShowMessage(messageId);

    const std::optional<message::Entry> entry = message::Find(messageId);
    Require(platform.boxes.size() <= 1, "one message shows at most one box");
    Require(platform.boxes.size() == (!RunOptions.quiet && entry ? 1u : 0u),
            "a known message shows a box unless quiet, an unknown one never");
    if (platform.boxes.empty())
        return 0;
    const Box& box = platform.boxes.front();
    Require(box.text.size() <= ExpectedString(table, language, messageId).size() + 1023,
            "the box text keeps within the message's own text length + 1023");
    Require(box.caption == ExpectedString(table, language, entry->captionId),
            "the caption is the entry's caption string");
    Require(box.style == entry->style, "the box has the entry's style");
    return 0;
}
