#include <gtest/gtest.h>

#include "apply/command_line.h"

namespace {

const std::wstring Text = L"The following applications should be closed before continuing the install:";

TEST(BuildCommandLine, WithoutLocaleIdForOneCharacterOrNone)
{
    for (const wchar_t* localeId : {L"0", L"", L"7"}) {
        EXPECT_EQ(apply::BuildCommandLine(L"C:\\Temp\\MSP12", localeId, Text, false),
                  L"PATCH=\"C:\\Temp\\MSP12\" REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"" + Text + L"\"");
    }
}

TEST(BuildCommandLine, WithLocaleIdOfTwoCharactersOrMore)
{
    EXPECT_EQ(apply::BuildCommandLine(L"C:\\Temp\\MSP12", L"1031", L"Schließen", false),
              L"PATCH=\"C:\\Temp\\MSP12\" LOCALEID=1031 REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"Schließen\"");
    EXPECT_EQ(apply::BuildCommandLine(L"p", L"10", L"", false), L"PATCH=\"p\" LOCALEID=10 REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"\"");
}

TEST(BuildCommandLine, NoRestartAddsReallySuppressAfterThePrompt)
{
    EXPECT_EQ(apply::BuildCommandLine(L"C:\\Temp\\MSP12", L"0", L"t", true),
              L"PATCH=\"C:\\Temp\\MSP12\" REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"t\"");
    EXPECT_EQ(apply::BuildCommandLine(L"p", L"1031", L"t", true),
              L"PATCH=\"p\" LOCALEID=1031 REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"t\"");
}

TEST(BuildCommandLine, ALongPathIsNeverCut)
{
    const std::wstring path = L"C:\\" + std::wstring(3000, L'd') + L"\\MSP1";
    const std::wstring line = apply::BuildCommandLine(path, L"1033", std::wstring(511, L't'), false);
    EXPECT_EQ(line.substr(0, path.size() + 8), L"PATCH=\"" + path + L"\"");
    EXPECT_EQ(line.substr(line.size() - 2), L"t\"");
}

TEST(BuildCommandLine, ALocaleIdCannotAddProperties)
{
    const std::wstring line = apply::BuildCommandLine(L"C:\\p.msp", L"1031 PATCH=\"C:\\evil.msp\" X=\"", Text, false);
    EXPECT_EQ(line, L"PATCH=\"C:\\p.msp\" LOCALEID=\"1031 PATCH=\"\"C:\\evil.msp\"\" X=\"\"\" REBOOTPROMPT=SUPPRESS "
                    L"FILESINUSETEXT=\"" + Text + L"\"");
}

TEST(BuildCommandLine, QuotesInsideTextsAreDoubled)
{
    EXPECT_EQ(apply::BuildCommandLine(L"a", L"", L"say \"hi\"", false),
              L"PATCH=\"a\" REBOOTPROMPT=SUPPRESS FILESINUSETEXT=\"say \"\"hi\"\"\"");
}

}  // namespace
