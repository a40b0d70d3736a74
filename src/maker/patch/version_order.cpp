#include "version_order.h"

#include <algorithm>

#include "text/split.h"

namespace maker {

namespace {

// The leading digits of a field without their leading zeros: "0042a" gives "42".
std::wstring_view FieldNumber(std::wstring_view field)
{
    const auto digits = std::ranges::find_if(field, [](wchar_t c) { return c < L'0' || c > L'9'; });
    std::wstring_view number = field.substr(0, static_cast<std::size_t>(digits - field.begin()));
    while (!number.empty() && number.front() == L'0')
        number.remove_prefix(1);
    return number;
}

// Longer digit strings are larger numbers; of two as long, the first differing digit decides.
int CompareNumbers(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

}  // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b)
{
    const std::vector<std::wstring_view> left = Split(a, L'.'), right = Split(b, L'.');
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::wstring_view x = i < left.size() ? FieldNumber(left[i]) : std::wstring_view();
        const std::wstring_view y = i < right.size() ? FieldNumber(right[i]) : std::wstring_view();
        if (const int order = CompareNumbers(x, y); order != 0)
            return order;
    }
    return 0;
}

}  // namespace maker
