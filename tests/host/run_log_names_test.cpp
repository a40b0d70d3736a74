#include <gtest/gtest.h>

#include "runlog/exit_code_meaning.h"
#include "runlog/log_names.h"

namespace {

TEST(RunLogPath, IsTheWrappersFileNameInTheTemporaryDirectory)
{
    const std::wstring temp = L"C:\\Windows\\SystemTemp\\";
    EXPECT_EQ(runlog::DefaultRunLogPath(temp, L"D:\\Deploy\\MyProduct-SP1.exe"), temp + L"MyProduct-SP1.exe.log");
    EXPECT_EQ(runlog::DefaultRunLogPath(temp, L"\\\\server\\share\\sp/Büro SP2.EXE"), temp + L"Büro SP2.EXE.log");
    EXPECT_EQ(runlog::DefaultRunLogPath(temp, L"sp.exe"), temp + L"sp.exe.log");
}

TEST(RunLogPath, RotatesToConfigurationManagersName)
{
    EXPECT_EQ(runlog::RotatedPath(L"C:\\T\\sp.exe.log"), L"C:\\T\\sp.exe.lo_");
    EXPECT_EQ(runlog::RotatedPath(L"C:\\T\\SP.LOG"), L"C:\\T\\SP.LO_");
    EXPECT_EQ(runlog::RotatedPath(L"C:\\T\\run.txt"), L"C:\\T\\run.txt.lo_");
    EXPECT_EQ(runlog::RotatedPath(L"C:\\T\\log"), L"C:\\T\\log.lo_");
}

TEST(RunLogPath, RotatesFromTheLimitOn)
{
    EXPECT_FALSE(runlog::ShouldRotate(0));
    EXPECT_FALSE(runlog::ShouldRotate(runlog::RotateAtBytes - 1));
    EXPECT_TRUE(runlog::ShouldRotate(runlog::RotateAtBytes));
    EXPECT_TRUE(runlog::ShouldRotate(std::uint64_t{5} << 32));
}

TEST(ExitCodeMeaning, NamesEveryCodeTheWrapperGives)
{
    const std::pair<std::uint32_t, std::wstring_view> cases[] = {
        {0, L"success"},
        {3010, L"restart required"},
        {1641, L"restart started"},
        {1618, L"another installation is in progress"},
        {1642, L"no target product is installed, or the patch fits none"},
        {1646, L"the patch cannot be removed"},
        {1603, L"failure"},
        {1625, L"forbidden by policy"},
        {1602, L"cancelled"},
        {1, L"failure"},
        {1601, L"failure"},
        {0xFFFFFFFF, L"failure"},
    };
    for (const auto& [code, meaning] : cases)
        EXPECT_EQ(runlog::ExitCodeMeaning(code), meaning) << code;
}

}  // namespace
