#include "fuzz_input.h"

namespace {
constexpr std::uint8_t WideEscape = 0x01;
}  // namespace

std::uint8_t FuzzInput::Byte()
{
    return AtEnd() ? 0 : data_[position_++];
}

std::uint32_t FuzzInput::Number(std::size_t bytes)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes && i < 4; ++i)
        value |= std::uint32_t{Byte()} << (8 * i);
    return value;
}

std::wstring FuzzInput::Text()
{
    std::wstring text;
    while (!AtEnd()) {
        const std::uint8_t byte = data_[position_++];
        if (byte == 0)
            break;
        text.push_back(static_cast<wchar_t>(byte == WideEscape ? Number(2) : byte));
    }
    return text;
}

std::vector<std::wstring> FuzzInput::Texts()
{
    std::vector<std::wstring> texts;
    while (!AtEnd())
        texts.push_back(Text());
    return texts;
}

std::vector<std::wstring> SplitText(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> pieces(1);
    for (wchar_t c : text) {
        if (c == separator)
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    return pieces;
}
