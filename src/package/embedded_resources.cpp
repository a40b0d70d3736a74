#include "embedded_resources.h"

#include "text/control_characters.h"

namespace package {

bool IsUsableVersion(std::wstring_view version)
{
    return !version.empty() && version.size() <= MaxVersionChars &&
           !HasControlCharacter(version);
}

std::vector<std::byte> EncodeUpToDateVersion(std::wstring_view version)
{
    std::vector<std::byte> bytes;
    bytes.reserve(version.size() * 2);
    for (const wchar_t c : version) {
        bytes.push_back(static_cast<std::byte>(c & 0xFF));
        bytes.push_back(static_cast<std::byte>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::optional<std::wstring> DecodeUpToDateVersion(std::span<const std::byte> bytes)
{
    if (bytes.size() % 2 != 0 || bytes.size() / 2 > MaxVersionChars)
        return std::nullopt;
    std::wstring version;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        version.push_back(static_cast<wchar_t>(std::to_integer<unsigned>(bytes[i]) |
                                               std::to_integer<unsigned>(bytes[i + 1]) << 8));
    if (!IsUsableVersion(version))
        return std::nullopt;
    return version;
}

}  // namespace package
