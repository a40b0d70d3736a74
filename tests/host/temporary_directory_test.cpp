#include <gtest/gtest.h>

#include <cstring>

#include "platform/temporary_directory.h"

namespace {

// Stand-ins shaped like GetTempPath2W and GetTempPathW, each with its folder and its calls.
struct Call {
    std::wstring folder;
    bool fails = false;
    int calls = 0;
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

}  // namespace

// GetTempPath2W names the folder where the system has it, and its failure is the answer:
// SYSTEM's shared C:\Windows\Temp must not stand in for it. Without it GetTempPathW does as before.
TEST(TemporaryDirectory, TheSecuredCallWhereItExistsElseTheClassicOne)
{
    const struct {
        bool secured, securedFails;
        std::optional<std::wstring> folder;
        int securedCalls, classicCalls;
    } cases[] = {
        {true, false, L"C:\\Windows\\SystemTemp\\", 1, 0},
        {true, true, std::nullopt, 1, 0},
        {false, false, L"C:\\Windows\\Temp\\", 0, 1},
    };
    for (const auto& c : cases) {
        Secured = {L"C:\\Windows\\SystemTemp\\", c.securedFails};
        Classic = {L"C:\\Windows\\Temp\\"};
        EXPECT_EQ(platform::SecuredTemporaryDirectory(c.secured ? &SecuredCall : CallFunction{nullptr}, &ClassicCall),
                  c.folder);
        EXPECT_EQ(std::pair(Secured.calls, Classic.calls), std::pair(c.securedCalls, c.classicCalls));
    }
}

TEST(TemporaryDirectory, AFolderLongerThanMaxPathIsReadWithOneRetry)
{
    Classic = {L"\\\\?\\C:\\" + std::wstring(400, L'd') + L"\\"};
    EXPECT_EQ(platform::ReadTemporaryDirectory(&ClassicCall), Classic.folder);
    EXPECT_EQ(Classic.calls, 2);
    Classic.fails = true;
    EXPECT_EQ(platform::ReadTemporaryDirectory(&ClassicCall), std::nullopt);
}
