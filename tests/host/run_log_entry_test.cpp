#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "runlog/entry.h"

namespace {

using runlog::FormatEntry;
using runlog::Stamp;
using runlog::Type;

const Stamp Berlin{2026, 3, 7, 9, 5, 1, 42, -60, 4711};

// The line a viewer reads, with the entry's parts as the viewer splits them.
const std::regex ViewerEntry(
    R"re(<!\[LOG\[(.*?)\]LOG\]!><time="(\d\d:\d\d:\d\d\.\d{3})([+-]\d{3})" date="(\d\d-\d\d-\d{4})" )re"
    R"re(component="([^"]*)" context="([^"]*)" type="([123])" thread="(\d+)" file="([^"]*)">)re");

struct TextCase {
    const char* name;
    std::wstring text;
    std::string written;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.name; }

class EntryText : public testing::TestWithParam<TextCase> {};

TEST_P(EntryText, IsWrittenSoThatItStaysOneEntry)
{
    const std::string line = FormatEntry(GetParam().text, L"svcpack", Type::Information, Berlin);
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(line.begin(), line.end() - 2, parts, ViewerEntry)) << line;
    EXPECT_EQ(parts[1], GetParam().written);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EntryText,
    testing::Values(
        TextCase{"Plain", L"Patch applied to Korvanta Ledger 12", "Patch applied to Korvanta Ledger 12"},
        TextCase{"Empty", L"", ""},
        TextCase{"LineBreaks", L"one\ntwo\r\nthree\tfour", R"(one\ntwo\r\nthree\tfour)"},
        TextCase{"OtherControls", std::wstring(L"nul\0bel\x07" L"esc\x1B" L"del\x7F", 16), R"(nul\x00bel\x07esc\x1Bdel\x7F)"},
        TextCase{"C1Controls", L"nel\x85" L"csi\x9B", R"(nel\x85csi\x9B)"},
        TextCase{"UnicodeLineBreaks", L"a\x2028" L"b\x2029" L"c", R"(a\u2028b\u2029c)"},
        TextCase{"Opening", L"x<![LOG[y", "x<! [LOG[y"},
        TextCase{"Closing", L"x]LOG]!>y", "x]LOG] !>y"},
        TextCase{"DelimitersInAnyCase", L"<![log[a]Log]!>", "<! [log[a]Log] !>"},
        TextCase{"ForgedEntry",
                 L"a]LOG]!><time=\"00:00:00.000+000\" date=\"01-01-2000\" component=\"x\" context=\"\" type=\"3\" "
                 L"thread=\"1\" file=\"\">\r\n<![LOG[forged",
                 "a]LOG] !><time=\"00:00:00.000+000\" date=\"01-01-2000\" component=\"x\" context=\"\" type=\"3\" "
                 "thread=\"1\" file=\"\">\\r\\n<! [LOG[forged"},
        TextCase{"DelimitersTouchingTheEntrysOwn", L"]LOG]!", "]LOG]!"},
        TextCase{"QuotesAndBackslashesStay", L"C:\\new\\\"a\" <b>", "C:\\new\\\"a\" <b>"},
        TextCase{"NonAscii", L"Prüfer – 東京", "Pr\xC3\xBC" "fer \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC"},
        TextCase{"SurrogatePair", std::wstring{L'a', wchar_t(0xD83D), wchar_t(0xDE00), L'b'}, "a\xF0\x9F\x98\x80" "b"},
        TextCase{"UnpairedHigh", std::wstring{L'a', wchar_t(0xD83D), L'b'}, "a\xEF\xBF\xBD" "b"},
        TextCase{"UnpairedLow", std::wstring{wchar_t(0xDE00), L'b'}, "\xEF\xBF\xBD" "b"},
        TextCase{"HighAtTheEnd", std::wstring{L'a', wchar_t(0xD83D)}, "a\xEF\xBF\xBD"},
        TextCase{"TwoHighs", std::wstring{wchar_t(0xD83D), wchar_t(0xD83D), wchar_t(0xDE00)}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"}),
    [](const testing::TestParamInfo<TextCase>& info) { return info.param.name; });

struct StampCase {
    const char* name;
    Type type;
    Stamp stamp;
    std::string attributes;
};

void PrintTo(const StampCase& c, std::ostream* out) { *out << c.name; }

class EntryAttributes : public testing::TestWithParam<StampCase> {};

TEST_P(EntryAttributes, FollowTheViewersForm)
{
    const StampCase& c = GetParam();
    EXPECT_EQ(FormatEntry(L"t", L"MyProduct-SP1", c.type, c.stamp), "<![LOG[t]LOG]!>" + c.attributes + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    TypesAndZones, EntryAttributes,
    testing::Values(
        StampCase{"InformationEastOfUtc", Type::Information, Berlin,
                  R"(<time="09:05:01.042-060" date="03-07-2026" component="MyProduct-SP1" context="" type="1" thread="4711" file="">)"},
        StampCase{"WarningWestOfUtc", Type::Warning, {1999, 12, 31, 23, 59, 59, 999, 300, 0},
                  R"(<time="23:59:59.999+300" date="12-31-1999" component="MyProduct-SP1" context="" type="2" thread="0" file="">)"},
        StampCase{"ErrorAtUtc", Type::Error, {2030, 1, 1, 0, 0, 0, 0, 0, 4294967295u},
                  R"(<time="00:00:00.000+000" date="01-01-2030" component="MyProduct-SP1" context="" type="3" thread="4294967295" file="">)"},
        StampCase{"HalfHourZone", Type::Information, {2026, 6, 15, 12, 30, 0, 5, -330, 8},
                  R"(<time="12:30:00.005-330" date="06-15-2026" component="MyProduct-SP1" context="" type="1" thread="8" file="">)"},
        StampCase{"FarthestZone", Type::Information, {2026, 6, 15, 12, 30, 0, 5, -840, 8},
                  R"(<time="12:30:00.005-840" date="06-15-2026" component="MyProduct-SP1" context="" type="1" thread="8" file="">)"},
        StampCase{"SmallBias", Type::Information, {2026, 6, 15, 12, 30, 0, 5, 45, 8},
                  R"(<time="12:30:00.005+045" date="06-15-2026" component="MyProduct-SP1" context="" type="1" thread="8" file="">)"}),
    [](const testing::TestParamInfo<StampCase>& info) { return info.param.name; });

TEST(EntryComponent, HoldsNoQuoteBracketOrControlCharacter)
{
    const std::string line = FormatEntry(L"t", L"a\"b<c>d\ne\x85" L"f\x2028" L"g ü", Type::Information, Berlin);
    EXPECT_NE(line.find(R"(component="a_b_c_d_e_f_g )" "\xC3\xBC" R"(" context)"), std::string::npos) << line;
}

TEST(EntryLines, EveryFormattedEntryIsExactlyOneLineTheViewerParses)
{
    const std::wstring texts[] = {
        L"first", L"two\nlines", L"]LOG]!>\r\n<![LOG[", std::wstring(L"\0\x1F\x7F\x9F", 4), L"\x2028\x2029",
        std::wstring{wchar_t(0xDBFF)}, L"<![LOG[<![LOG[]LOG]!>]LOG]!>", L"end ]LOG]", L"]]LOG]!!>>",
    };
    std::string log;
    for (std::size_t i = 0; i < std::size(texts); ++i)
        log += FormatEntry(texts[i], L"comp\"onent\r\n", static_cast<Type>(1 + i % 3), Berlin);

    std::istringstream lines(log);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, ViewerEntry)) << line;
        EXPECT_EQ(parts[7], std::to_string(1 + count % 3));
        EXPECT_EQ(line.find('\r'), std::string::npos);
    }
    EXPECT_EQ(count, std::size(texts));
    const auto entries = std::distance(std::sregex_iterator(log.begin(), log.end(), ViewerEntry), std::sregex_iterator());
    EXPECT_EQ(static_cast<std::size_t>(entries), std::size(texts));
}

}  // namespace
