#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

#include "package/compound_file.h"

namespace {

std::vector<std::byte> DemoPackage()
{
    std::ifstream file(SVCPACK_DEMO_PACKAGE, std::ios::binary | std::ios::ate);
    std::vector<std::byte> bytes(static_cast<std::size_t>(file.tellg()));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

bool Complete(const std::vector<std::byte>& bytes, std::size_t size)
{
    return package::IsCompleteCompoundFile({bytes.data(), size});
}

bool Complete(const std::vector<std::byte>& bytes)
{
    return Complete(bytes, bytes.size());
}

// Reads and damages a copy of the package where the format puts things: it knows the
// 512-byte sectors of version 3 and the few header fields the damage needs, nothing more.
class Package {
public:
    static constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
    static constexpr std::uint32_t Free = 0xFFFFFFFF;

    explicit Package(std::vector<std::byte> bytes) : bytes(std::move(bytes)) {}

    std::uint32_t U32(std::size_t at) const
    {
        std::uint32_t value;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    }
    void SetU32(std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }
    static std::size_t Sector(std::uint32_t n) { return (std::size_t(n) + 1) * 512; }

    // Where the table entry for `sector` is: the first table sector suffices for the demo package.
    std::size_t FatEntry(std::uint32_t sector) const { return Sector(U32(76)) + 4 * sector; }
    std::uint32_t Next(std::uint32_t sector) const { return U32(FatEntry(sector)); }
    std::size_t MiniFatEntry(std::uint32_t miniSector) const { return Sector(U32(60)) + 4 * miniSector; }

    // The directory entry whose name starts with `name` (UTF-16 code units, as stored).
    std::size_t Entry(std::u16string_view name) const
    {
        for (std::uint32_t sector = U32(48); sector != EndOfChain; sector = Next(sector))
            for (std::size_t at = Sector(sector); at < Sector(sector) + 512; at += 128)
                if (std::memcmp(bytes.data() + at, name.data(), name.size() * 2) == 0)
                    return at;
        ADD_FAILURE() << "no such entry";
        return 0;
    }
    static constexpr std::size_t Start = 116, Size = 120;

    std::vector<std::byte> bytes;
};

constexpr std::u16string_view RootEntry = u"Root Entry";
constexpr std::u16string_view Summary = u"\005SummaryInformation";

TEST(IsCompleteCompoundFile, AcceptsARealPackage)
{
    const std::vector<std::byte> package = DemoPackage();
    ASSERT_GT(package.size(), 1024u);
    EXPECT_TRUE(Complete(package, package.size()));
}

TEST(IsCompleteCompoundFile, RejectsEveryTruncationThatLosesStructureOrData)
{
    const std::vector<std::byte> package = DemoPackage();
    for (std::size_t size = 0; size < package.size(); size += 64)
        EXPECT_FALSE(Complete(package, size)) << size;
    EXPECT_FALSE(Complete(package, package.size() - 1));
}

TEST(IsCompleteCompoundFile, RejectsDamagedHeaders)
{
    const std::vector<std::byte> package = DemoPackage();
    struct Damage {
        std::size_t offset;
        std::byte value;
    };
    // Signature, byte order, sector shift, directory start, first table sector.
    for (const Damage& damage : {Damage{0, std::byte{0}}, Damage{29, std::byte{0x00}}, Damage{30, std::byte{10}},
                                 Damage{51, std::byte{0x7F}}, Damage{79, std::byte{0x7F}}}) {
        std::vector<std::byte> copy = package;
        copy[damage.offset] = damage.value;
        EXPECT_FALSE(Complete(copy, copy.size())) << damage.offset;
    }
}

TEST(IsCompleteCompoundFile, RejectsAStreamWhoseChainIsShorterThanItsSizeInAFileLongEnough)
{
    const Package demo(DemoPackage());
    ASSERT_EQ(demo.U32(demo.Entry(Summary) + Package::Size), 356u);
    ASSERT_LT(demo.U32(demo.Entry(Summary) + Package::Size), demo.bytes.size());

    // The mini stream, in the root's chain, one sector short of the root's size.
    Package root = demo;
    std::uint32_t last = root.U32(root.Entry(RootEntry) + Package::Start);
    while (root.Next(root.Next(last)) != Package::EndOfChain)
        last = root.Next(last);
    root.SetU32(root.FatEntry(last), Package::EndOfChain);
    EXPECT_FALSE(Complete(root.bytes));

    // A small stream whose chain in the mini stream ends after its first 64 bytes.
    Package small = demo;
    small.SetU32(small.MiniFatEntry(small.U32(small.Entry(Summary) + Package::Start)), Package::EndOfChain);
    EXPECT_FALSE(Complete(small.bytes));

    // A stream big enough for whole sectors, stated longer than the chain it starts: the
    // mini stream's five sectors, in a file of fifteen.
    Package large = demo;
    large.SetU32(large.Entry(Summary) + Package::Start, large.U32(large.Entry(RootEntry) + Package::Start));
    large.SetU32(large.Entry(Summary) + Package::Size, 4096);
    EXPECT_FALSE(Complete(large.bytes));
}

TEST(IsCompleteCompoundFile, RejectsSmallStreamsWithNoMiniStreamToLiveIn)
{
    const Package demo(DemoPackage());
    Package empty = demo;  // a root that holds nothing
    empty.SetU32(empty.Entry(RootEntry) + Package::Size, 0);
    empty.SetU32(empty.Entry(RootEntry) + Package::Start, Package::EndOfChain);
    EXPECT_FALSE(Complete(empty.bytes));
    Package untracked = demo;  // no table of the mini stream's sectors
    untracked.SetU32(60, Package::EndOfChain);
    EXPECT_FALSE(Complete(untracked.bytes));
}

// The package laid out in 4096-byte sectors (a version 4 compound file): each sector of the
// original starts a sector of its own, so every chain, table entry and directory entry keeps
// its number; the allocation tables are filled up with free entries.
std::vector<std::byte> InLargeSectors(const Package& demo)
{
    std::vector<std::byte> large(demo.bytes.size() / 512 * 4096);
    std::memcpy(large.data(), demo.bytes.data(), 512);
    const auto isTable = [&](std::uint32_t sector) {
        return sector == demo.U32(76) || sector == demo.U32(60);
    };
    for (std::uint32_t sector = 0; sector + 1 < demo.bytes.size() / 512; ++sector) {
        std::byte* to = large.data() + (std::size_t(sector) + 1) * 4096;
        if (isTable(sector))
            std::memset(to, 0xFF, 4096);
        std::memcpy(to, demo.bytes.data() + Package::Sector(sector), 512);
    }
    Package v4(std::move(large));
    v4.bytes[26] = std::byte{4};   // major version
    v4.bytes[30] = std::byte{12};  // sector shift
    std::uint32_t directorySectors = 0;
    for (std::uint32_t s = demo.U32(48); s != Package::EndOfChain; s = demo.Next(s))
        ++directorySectors;
    v4.SetU32(40, directorySectors);
    return std::move(v4.bytes);
}

TEST(IsCompleteCompoundFile, AcceptsAPackageWith4096ByteSectors)
{
    const Package demo(DemoPackage());
    ASSERT_EQ(demo.U32(44), 1u);  // one table sector, no further lists: the layout above holds
    const std::vector<std::byte> large = InLargeSectors(demo);
    EXPECT_TRUE(Complete(large));
    EXPECT_FALSE(Complete(large, large.size() - 4096));
}

TEST(IsCompleteCompoundFile, RejectsBytesThatAreNoPackage)
{
    std::vector<std::byte> noise(8192);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = std::byte(i * 37 + 11);
    EXPECT_FALSE(Complete(noise, noise.size()));
    EXPECT_FALSE(package::IsCompleteCompoundFile({}));
}

}  // namespace
