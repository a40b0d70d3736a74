#include <gtest/gtest.h>

#include "apply/log_name.h"

namespace {

const std::wstring Temp = L"C:\\Users\\admin\\AppData\\Local\\Temp\\";

TEST(LogFilePath, IsTheProductNameInTheTemporaryDirectory)
{
    EXPECT_EQ(apply::LogFilePath(Temp, L"Korvanta Ledger 12"), Temp + L"Korvanta Ledger 12.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"Korvanta Büro Prüfer"), Temp + L"Korvanta Büro Prüfer.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L""), Temp + L".log");
}

TEST(LogFilePath, CharactersFileNamesCannotHoldAreReplaced)
{
    EXPECT_EQ(apply::LogFilePath(Temp, L"A/B: \"Test\" <1>|?*\\x"), Temp + L"A_B_ _Test_ _1_____x.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"line\nfeed\ttab\x01"), Temp + L"line_feed_tab_.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"..\\..\\Windows\\win"), Temp + L".._.._Windows_win.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"C:\\evil"), Temp + L"C__evil.log");
}

TEST(LogFilePath, NeverTakesTheRunLogsNameAndKeepsARemovalsSuffix)
{
    const std::wstring runLog = Temp + L"MyProduct-SP1.exe.log";
    EXPECT_EQ(apply::LogFilePath(Temp, L"myproduct-SP1.EXE", {}, runLog), Temp + L"_myproduct-SP1.EXE.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"MyProduct-SP1", {}, runLog), Temp + L"MyProduct-SP1.log");
    const std::wstring longest(259 - Temp.size() - 4, L'N');
    EXPECT_EQ(apply::LogFilePath(Temp, longest + L"more", {}, Temp + longest + L".log"),
              Temp + L"_" + longest.substr(1) + L".log");
    EXPECT_EQ(apply::LogFilePath(Temp, longest, L".uninstall"),
              Temp + longest.substr(0, longest.size() - 10) + L".uninstall.log");
}

TEST(LogFilePath, DeviceNamesAreNotUsed)
{
    EXPECT_EQ(apply::LogFilePath(Temp, L"CON"), Temp + L"_CON.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"nul.txt"), Temp + L"_nul.txt.log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"Com1 "), Temp + L"_Com1 .log");
    EXPECT_EQ(apply::LogFilePath(Temp, L"CONSOLE"), Temp + L"CONSOLE.log");
}

TEST(LogFilePath, LongNamesAreShortenedToFit)
{
    const auto path = apply::LogFilePath(Temp, std::wstring(1023, L'n'));
    ASSERT_TRUE(path);
    EXPECT_EQ(path->size(), 259u);
    EXPECT_EQ(path->substr(0, Temp.size()), Temp);
    EXPECT_EQ(path->substr(path->size() - 5), L"n.log");
    const std::wstring exact(259 - Temp.size() - 4, L'e');
    EXPECT_EQ(apply::LogFilePath(Temp, exact), Temp + exact + L".log");
}

TEST(LogFilePath, ShorteningNeverSplitsASurrogatePair)
{
    const std::size_t room = 259 - Temp.size() - 4;
    std::wstring name(room - 1, L'a');
    name += static_cast<wchar_t>(0xD83D);
    name += static_cast<wchar_t>(0xDE00);
    const auto path = apply::LogFilePath(Temp, name);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, Temp + std::wstring(room - 1, L'a') + L".log");
}

TEST(LogFilePath, NoLogWhereTheDirectoryLeavesNoRoom)
{
    const std::wstring deep = L"C:\\" + std::wstring(252, L'd') + L"\\";  // 256 characters
    EXPECT_FALSE(apply::LogFilePath(deep, L"x"));
    EXPECT_EQ(apply::LogFilePath(deep.substr(1), L"xyz"), deep.substr(1) + L".log");
    EXPECT_FALSE(apply::LogFilePath(L"", L"x"));
}

}  // namespace
