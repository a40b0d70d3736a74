#include <gtest/gtest.h>

#include "app/messages.h"

namespace {

struct FillCase {
    const wchar_t* text;
    std::vector<std::wstring_view> values;
    std::int32_t code;
    std::size_t capacity;
    const wchar_t* expected;
};

class Fill : public testing::TestWithParam<FillCase> {};

TEST_P(Fill, ProducesTheExpectedText)
{
    const FillCase& c = GetParam();
    EXPECT_EQ(message::Fill(c.text, c.values, c.code, c.capacity), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, Fill,
    testing::Values(
        FillCase{L"The %s has been installed.", {L"service pack"}, 0, 1024, L"The service pack has been installed."},
        FillCase{L"Error Code: %d", {}, 1603, 1024, L"Error Code: 1603"},
        FillCase{L"code %d", {}, -2147024894, 1024, L"code -2147024894"},
        FillCase{L"%s/%s", {L"a", L"b"}, 0, 1024, L"a/b"},
        // Values go in verbatim: a placeholder inside one is text.
        FillCase{L"[%s] %d", {L"%s%d%n%%"}, 7, 1024, L"[%s%d%n%%] 7"},
        // Used-up values show nothing; the value list is never read past its end.
        FillCase{L"%s-%s-%s", {L"x"}, 0, 1024, L"x--"},
        FillCase{L"%s", {}, 0, 1024, L""},
        // Anything else after a percent sign is copied as it stands.
        FillCase{L"100% %x %% %", {}, 0, 1024, L"100% %x %% %"},
        FillCase{L"line\n%s\n", {L"A\nB"}, 0, 1024, L"line\nA\nB\n"}),
    [](const testing::TestParamInfo<FillCase>& info) { return std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Bounds, Fill,
    testing::Values(
        // The output keeps capacity - 1 characters, cutting text, values and numbers alike.
        FillCase{L"abcdef", {}, 0, 4, L"abc"},
        FillCase{L"ab%s", {L"cdefg"}, 0, 5, L"abcd"},
        FillCase{L"ab%d", {}, 123456, 5, L"ab12"},
        FillCase{L"abc", {}, 0, 1, L""},
        FillCase{L"abc", {}, 0, 0, L""}),
    [](const testing::TestParamInfo<FillCase>& info) { return std::to_string(info.index); });

TEST(Fill, ALongValueIsBoundedByTheCapacity)
{
    const std::wstring name(5000, L'N');
    const std::wstring out = message::Fill(L"About %s.", {name}, 0, 1024 + 9);
    EXPECT_EQ(out.size(), 1032u);
    EXPECT_EQ(out.substr(0, 6), L"About ");
}

TEST(MessageTable, MatchesTheReportedOutcomes)
{
    using message::Value;
    const auto error = message::Find(300);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->textId, 300u);
    EXPECT_EQ(error->values, std::vector<Value>{Value::Word});
    EXPECT_EQ(error->captionId, 311u);
    EXPECT_EQ(error->style, 0x50010u);

    const auto success = message::Find(316);
    ASSERT_TRUE(success);
    EXPECT_EQ(success->textId, 301u);
    EXPECT_EQ(success->captionId, 312u);
    EXPECT_EQ(success->style, 0x50040u);

    const auto nothing = message::Find(303);
    const auto current = message::Find(306);
    ASSERT_TRUE(nothing && current);
    EXPECT_EQ(nothing->textId, current->textId);
    EXPECT_EQ(nothing->values, current->values);
    EXPECT_EQ(nothing->captionId, 313u);

    EXPECT_EQ(message::Find(302)->values, std::vector<Value>{Value::ProductName});
    EXPECT_EQ(message::Find(307)->values, (std::vector<Value>{Value::Word, Value::Word}));
    EXPECT_EQ(message::Find(308)->values, (std::vector<Value>{Value::Word, Value::ProductName}));
    for (std::uint32_t notAMessage : {301u, 309u, 310u, 311u, 320u, 0u})
        EXPECT_FALSE(message::Find(notAMessage)) << notAMessage;
}

}  // namespace
