#include <gtest/gtest.h>

#include <cstring>

#include "platform/temporary_directory.h"

namespace {

// Two stand-ins shaped like GetTempPath2W and GetTempPathW, each with its own folder and a
// count of its calls.
struct Call {
    std::wstring folder;
    int calls = 0;
    bool fails = false;
};
Call Secured;
Call Classic;

std::uint32_t Answer(Call& call, std::uint32_t capacity, wchar_t* buffer)
{
    ++call.calls;
    if (call.fails)
        return 0;
    const auto length = static_cast<std::uint32_t>(call.folder.size());
    if (length + 1 > capacity)
        return length + 1;
    std::memcpy(buffer, call.folder.c_str(), (length + 1) * sizeof(wchar_t));
    return length;
}

std::uint32_t SecuredCall(std::uint32_t capacity, wchar_t* buffer) { return Answer(Secured, capacity, buffer); }
std::uint32_t ClassicCall(std::uint32_t capacity, wchar_t* buffer) { return Answer(Classic, capacity, buffer); }

using CallFunction = std::uint32_t (*)(std::uint32_t, wchar_t*);

class TemporaryDirectoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        Secured = {L"C:\\Windows\\SystemTemp\\"};
        Classic = {L"C:\\Windows\\Temp\\"};
    }
};

TEST_F(TemporaryDirectoryTest, WhereTheSystemHasGetTempPath2WItNamesTheFolder)
{
    EXPECT_EQ(platform::SecuredTemporaryDirectory(&SecuredCall, &ClassicCall), L"C:\\Windows\\SystemTemp\\");
    EXPECT_EQ(Classic.calls, 0);
}

TEST_F(TemporaryDirectoryTest, WithoutItGetTempPathWDoesAsBefore)
{
    EXPECT_EQ(platform::SecuredTemporaryDirectory(CallFunction{nullptr}, &ClassicCall), L"C:\\Windows\\Temp\\");
    EXPECT_EQ(Secured.calls, 0);
}

TEST_F(TemporaryDirectoryTest, AFailingGetTempPath2WIsNotReplacedByTheSharedFolder)
{
    Secured.fails = true;
    EXPECT_EQ(platform::SecuredTemporaryDirectory(&SecuredCall, &ClassicCall), std::nullopt);
    EXPECT_EQ(Classic.calls, 0);
}

TEST_F(TemporaryDirectoryTest, AFolderLongerThanMaxPathIsReadWithOneRetry)
{
    Classic.folder = L"\\\\?\\C:\\" + std::wstring(400, L'd') + L"\\";
    EXPECT_EQ(platform::SecuredTemporaryDirectory(CallFunction{nullptr}, &ClassicCall), Classic.folder);
    EXPECT_EQ(Classic.calls, 2);
    Classic.fails = true;
    EXPECT_EQ(platform::ReadTemporaryDirectory(&ClassicCall), std::nullopt);
}

}  // namespace
