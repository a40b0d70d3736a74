#include <gtest/gtest.h>

#include <fstream>
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

TEST(IsCompleteCompoundFile, RejectsBytesThatAreNoPackage)
{
    std::vector<std::byte> noise(8192);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = std::byte(i * 37 + 11);
    EXPECT_FALSE(Complete(noise, noise.size()));
    EXPECT_FALSE(package::IsCompleteCompoundFile({}));
}

}  // namespace
