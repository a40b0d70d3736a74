#include "stream_name.h"

namespace {

constexpr wchar_t TablePrefix = 0x4840;
constexpr wchar_t PairBase = 0x3800;
constexpr wchar_t SingleBase = 0x4800;

// The value 0 to 63 of a character that the encoding packs, or -1 for one it keeps as it is.
int PackedValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'Z')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'z')
        return c - L'a' + 36;
    if (c == L'.')
        return 62;
    if (c == L'_')
        return 63;
    return -1;
}

}  // namespace

std::wstring EncodeTableStreamName(std::wstring_view name)
{
    std::wstring encoded(1, TablePrefix);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const int first = PackedValue(name[i]);
        const int second = i + 1 < name.size() ? PackedValue(name[i + 1]) : -1;
        if (first < 0) {
            encoded += name[i];
        } else if (second < 0) {
            encoded += static_cast<wchar_t>(SingleBase + first);
        } else {
            encoded += static_cast<wchar_t>(PairBase + first + (second << 6));
            ++i;
        }
    }
    return encoded;
}
