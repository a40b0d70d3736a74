// Filling a string-table text with arbitrary text, 0 to 4 values, any error code and any
// capacity. The input: capacity (2 bytes), value count (1), error code (4), the text, the values.
#include "app/messages.h"
#include "fuzz_input.h"
#include "require.h"

namespace {

constexpr std::size_t MaxValues = 4;

// The text with every "%s" and "%d" replaced, with no limit on the length.
std::wstring Expanded(std::wstring_view text, const std::vector<std::wstring>& values, std::int32_t errorCode)
{
    std::wstring out;
    std::size_t used = 0;
    std::size_t start = 0;
    for (std::size_t percent = text.find(L'%'); percent != std::wstring_view::npos;
         percent = text.find(L'%', start)) {
        const wchar_t kind = percent + 1 < text.size() ? text[percent + 1] : L'\0';
        if (kind != L's' && kind != L'd') {
            out.append(text.substr(start, percent + 1 - start));
            start = percent + 1;
            continue;
        }
        out.append(text.substr(start, percent - start));
        if (kind == L'd')
            out += std::to_wstring(errorCode);
        else if (used < values.size())
            out += values[used++];
        start = percent + 2;
    }
    out.append(text.substr(start));
    return out;
}

bool HasPlaceholder(std::wstring_view text)
{
    return text.find(L"%s") != std::wstring_view::npos || text.find(L"%d") != std::wstring_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::size_t capacity = input.Number(2);
    const std::size_t count = input.Byte() % (MaxValues + 1);
    const auto errorCode = static_cast<std::int32_t>(input.Number(4));
    const std::wstring text = input.Text();
    std::vector<std::wstring> owned;
    for (std::size_t i = 0; i < count; ++i)
        owned.push_back(input.Text());
    // Sized exactly, so that a read past the last value leaves the allocation and ASan sees it.
    std::vector<std::wstring_view> values(count);
    std::copy(owned.begin(), owned.end(), values.begin());

    const std::wstring filled = message::Fill(text, values, errorCode, capacity);

    const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
    Require(filled.size() <= limit, "the filled text keeps within capacity - 1");
    Require(filled == Expanded(text, owned, errorCode).substr(0, limit),
            "the filled text is the text with its values, verbatim and in order, cut to the capacity");
    Require(HasPlaceholder(text) || text.size() > limit || filled == text,
            "a text without placeholders that fits comes out unchanged");
    return 0;
}
