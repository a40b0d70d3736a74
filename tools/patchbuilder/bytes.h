#pragma once
// Little-endian building blocks of the installer's stream formats.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void AppendU16(Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32(Bytes& out, std::uint32_t value)
{
    AppendU16(out, static_cast<std::uint16_t>(value));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void AppendText(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}
