#include "package/written_package.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using package::CompareWrittenPackage;
using package::WrittenPackage;

// The package read back as written, or with `changed` flipped, window by window.
struct WrittenFile {
    std::vector<std::byte> bytes;
    std::vector<std::uint64_t> windowsRead;

    std::span<const std::byte> operator()(std::uint64_t offset, std::size_t length)
    {
        windowsRead.push_back(offset);
        return std::span(bytes).subspan(static_cast<std::size_t>(offset), length);
    }
};

std::vector<std::byte> Package(std::size_t size)
{
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::byte(i * 7 + 3);
    return bytes;
}

}  // namespace

TEST(WrittenPackage, EveryByteOfEveryWindowIsComparedAndAnyDifferenceIsCaught)
{
    const std::vector<std::byte> package = Package(10);
    for (std::size_t changed = 0; changed < package.size(); ++changed) {
        WrittenFile file{package, {}};
        file.bytes[changed] ^= std::byte{0x01};
        EXPECT_EQ(CompareWrittenPackage(package, package.size(), 4, std::ref(file)), WrittenPackage::Different) << changed;
    }
    WrittenFile same{package, {}};
    EXPECT_EQ(CompareWrittenPackage(package, package.size(), 4, std::ref(same)), WrittenPackage::Same);
    EXPECT_EQ(same.windowsRead, (std::vector<std::uint64_t>{0, 4, 8}));  // the last window is short
}

TEST(WrittenPackage, AFileOfAnotherSizeIsDifferentUnreadAndAWindowThatCannotBeReadIsUnreadable)
{
    const std::vector<std::byte> package = Package(10);
    WrittenFile longer{Package(11), {}};
    EXPECT_EQ(CompareWrittenPackage(package, 11, 4, std::ref(longer)), WrittenPackage::Different);
    EXPECT_TRUE(longer.windowsRead.empty());

    const auto unreadable = [](std::uint64_t, std::size_t) { return std::span<const std::byte>(); };
    EXPECT_EQ(CompareWrittenPackage(package, package.size(), 4, unreadable), WrittenPackage::Unreadable);
}
