#pragma once
// The strings that a transform's rows refer to, kept as the installer keeps them:
// "_StringPool" holds a codepage, flags, and then for string 1, 2, ... its length in bytes
// and its reference count; "_StringData" holds the strings' bytes one after another. With
// few strings, each shorter than 64 KiB, a reference is two bytes wide and a length fits one
// word (the flags say so by leaving bit 15 clear).
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

class StringPool {
public:
    explicit StringPool(std::uint16_t codepage) : codepage_(codepage) {}

    // The reference to `text` (1 for the first string), adding it on first use and counting
    // each use.
    std::uint16_t Reference(const std::string& text);

    Bytes PoolStream() const;
    Bytes DataStream() const;

private:
    struct Entry {
        std::string text;
        std::uint16_t uses;
    };
    std::uint16_t codepage_;
    std::vector<Entry> entries_;
};
