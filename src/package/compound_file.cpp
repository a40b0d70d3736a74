#include "compound_file.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace package {

namespace {

constexpr std::array<unsigned char, 8> Signature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t HeaderFatEntries = 109;
constexpr std::size_t DirectoryEntrySize = 128;
constexpr std::uint32_t MiniStreamCutoff = 4096;
constexpr std::uint32_t MiniSectorSize = 64;
constexpr unsigned char StreamObject = 2;
constexpr unsigned char RootObject = 5;

struct SmallStream {
    std::uint32_t first;  // mini sector
    std::uint32_t size;
};

class CompoundFile {
public:
    explicit CompoundFile(std::span<const std::byte> bytes) : bytes_(bytes) {}

    bool Check()
    {
        if (bytes_.size() < 512 || std::memcmp(bytes_.data(), Signature.data(), Signature.size()) != 0 ||
            U16(28) != 0xFFFE)
            return false;
        const std::uint16_t shift = U16(30);
        if ((shift != 9 && shift != 12) || U16(32) != 6)
            return false;
        sectorSize_ = std::size_t(1) << shift;
        if (bytes_.size() % sectorSize_ != 0)
            return false;
        sectors_ = static_cast<std::uint32_t>(bytes_.size() / sectorSize_ - 1);
        return ReadFat() && CheckDirectory();
    }

private:
    std::uint16_t U16(std::size_t offset) const
    {
        return std::uint16_t(std::to_integer<unsigned>(bytes_[offset]) |
                             std::to_integer<unsigned>(bytes_[offset + 1]) << 8);
    }
    std::uint32_t U32(std::size_t offset) const { return U16(offset) | std::uint32_t(U16(offset + 2)) << 16; }
    std::size_t SectorOffset(std::uint32_t sector) const { return (std::size_t(sector) + 1) * sectorSize_; }

    // The allocation table, from the sectors the header lists and the chain of further lists.
    bool ReadFat()
    {
        const std::uint32_t fatSectors = U32(44);
        std::vector<std::uint32_t> locations;
        for (std::uint32_t i = 0; i < HeaderFatEntries && locations.size() < fatSectors; ++i)
            locations.push_back(U32(76 + 4 * i));
        const std::uint32_t perList = static_cast<std::uint32_t>(sectorSize_ / 4 - 1);
        std::uint32_t list = U32(68);
        for (std::uint32_t hops = 0; locations.size() < fatSectors; ++hops) {
            if (list >= sectors_ || hops > sectors_)
                return false;
            for (std::uint32_t i = 0; i < perList && locations.size() < fatSectors; ++i)
                locations.push_back(U32(SectorOffset(list) + 4 * i));
            list = U32(SectorOffset(list) + 4 * perList);
        }
        for (std::uint32_t sector : locations) {
            if (sector >= sectors_)
                return false;
            for (std::size_t i = 0; i < sectorSize_ / 4; ++i)
                fat_.push_back(U32(SectorOffset(sector) + 4 * i));
        }
        return true;
    }

    // The number of sectors on the chain from `start` through `table`, or 0 when it leaves
    // the `count` sectors there are or loops.
    static std::size_t ChainLength(const std::vector<std::uint32_t>& table, std::uint32_t count, std::uint32_t start)
    {
        std::size_t length = 0;
        for (std::uint32_t sector = start; sector != EndOfChain; sector = table[sector]) {
            if (sector >= count || sector >= table.size() || ++length > count)
                return 0;
        }
        return length;
    }
    std::size_t ChainLength(std::uint32_t start) const { return ChainLength(fat_, sectors_, start); }

    // Small streams live in 64-byte sectors of the mini stream (the root's data), chained
    // through the mini allocation table: each must have the sectors its size needs there.
    bool CheckSmallStreams(const std::vector<SmallStream>& streams,
                           std::uint32_t miniStreamSize) const
    {
        const std::uint32_t tableStart = U32(60);
        const std::size_t tableSectors = ChainLength(tableStart);
        if (tableSectors == 0 || miniStreamSize == 0)
            return false;
        std::vector<std::uint32_t> miniFat;
        for (std::uint32_t sector = tableStart; miniFat.size() < tableSectors * sectorSize_ / 4; sector = fat_[sector])
            for (std::size_t i = 0; i < sectorSize_ / 4; ++i)
                miniFat.push_back(U32(SectorOffset(sector) + 4 * i));
        const std::uint32_t miniSectors = (miniStreamSize + MiniSectorSize - 1) / MiniSectorSize;
        for (const auto& [first, size] : streams)
            if (ChainLength(miniFat, miniSectors, first) * MiniSectorSize < size)
                return false;
        return true;
    }

    bool CheckDirectory() const
    {
        const std::uint32_t start = U32(48);
        const std::size_t length = ChainLength(start);
        if (length == 0)
            return false;
        std::uint32_t miniStreamSize = 0;
        std::vector<SmallStream> smallStreams;
        std::uint32_t sector = start;
        for (std::size_t s = 0; s < length; ++s, sector = fat_[sector]) {
            for (std::size_t entry = 0; entry < sectorSize_ / DirectoryEntrySize; ++entry) {
                const std::size_t offset = SectorOffset(sector) + entry * DirectoryEntrySize;
                const auto type = std::to_integer<unsigned char>(bytes_[offset + 66]);
                const std::uint32_t first = U32(offset + 116);
                const std::uint32_t size = U32(offset + 120);
                if (type == RootObject)
                    miniStreamSize = size;
                if ((type == RootObject && size > 0) || (type == StreamObject && size >= MiniStreamCutoff)) {
                    if (ChainLength(first) * sectorSize_ < size)
                        return false;
                } else if (type == StreamObject && size > 0) {
                    smallStreams.push_back({first, size});
                }
            }
        }
        return smallStreams.empty() || CheckSmallStreams(smallStreams, miniStreamSize);
    }

    std::span<const std::byte> bytes_;
    std::size_t sectorSize_ = 512;
    std::uint32_t sectors_ = 0;
    std::vector<std::uint32_t> fat_;
};

}  // namespace

bool IsCompleteCompoundFile(std::span<const std::byte> bytes)
{
    return CompoundFile(bytes).Check();
}

}  // namespace package
