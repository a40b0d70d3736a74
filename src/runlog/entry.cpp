#include "entry.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <initializer_list>

namespace runlog {

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr std::string_view Opening = "<![LOG[";
constexpr std::string_view Closing = "]LOG]!>";

// The code points of UTF-16 text. On hosts where wchar_t is wider, values past the BMP
// arrive whole and are taken as they are.
template <class Visit>
void ForEachCodePoint(std::wstring_view text, Visit visit)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(text[i]);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            visit(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00));
        } else {
            visit(high || low || unit > 0x10FFFF ? Replacement : unit);
        }
    }
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// C0, DEL, C1 and the two Unicode line breaks: each would end a line for some reader.
bool BreaksLines(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

void AppendHex(std::string& out, char32_t value, int digits)
{
    constexpr std::string_view Hex = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += Hex[(value >> shift) & 0xF];
}

void AppendEscaped(std::string& out, char32_t c)
{
    switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    out += c < 0x100 ? "\\x" : "\\u";
    AppendHex(out, c, c < 0x100 ? 2 : 4);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != prefix[i])
            return false;
    }
    return true;
}

// The viewers look for the delimiters whatever their case; a space after "<!" and after
// "]LOG]" shows where one was and leaves neither in the text. Neither delimiter can overlap
// itself or be made by the space, so one pass leaves none.
std::string BreakDelimiters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view rest = text.substr(i);
        if (StartsWithIgnoringCase(rest, Opening) || StartsWithIgnoringCase(rest, Closing)) {
            const std::size_t before = rest[0] == '<' ? 2 : 5;
            out.append(rest.substr(0, before));
            out += ' ';
            i += before - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EntryText(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&out](char32_t c) {
        if (BreaksLines(c))
            AppendEscaped(out, c);
        else
            AppendUtf8(out, c);
    });
    return BreakDelimiters(out);
}

std::string ComponentText(std::wstring_view component)
{
    std::string out;
    ForEachCodePoint(component, [&out](char32_t c) {
        AppendUtf8(out, BreaksLines(c) || c == '"' || c == '<' || c == '>' ? U'_' : c);
    });
    return out;
}

void AppendNumber(std::string& out, unsigned long value, int width)
{
    std::array<char, 16> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    const auto length = static_cast<int>(end - digits.data());
    out.append(length < width ? static_cast<std::size_t>(width - length) : 0, '0');
    out.append(digits.data(), end);
}

// A number in at least `width` digits and what follows it.
struct Field {
    unsigned long value;
    int width;
    std::string_view after;
};

std::string Fields(std::initializer_list<Field> fields)
{
    std::string out;
    for (const Field& field : fields) {
        AppendNumber(out, field.value, field.width);
        out.append(field.after);
    }
    return out;
}

std::string TimeField(const Stamp& stamp)
{
    const auto bias = static_cast<unsigned long>(std::labs(stamp.biasMinutes));
    return Fields({{stamp.hour, 2, ":"},
                   {stamp.minute, 2, ":"},
                   {stamp.second, 2, "."},
                   {stamp.milliseconds, 3, stamp.biasMinutes < 0 ? "-" : "+"},
                   {bias, 3, ""}});
}

std::string DateField(const Stamp& stamp)
{
    return Fields({{stamp.month, 2, "-"}, {stamp.day, 2, "-"}, {stamp.year, 4, ""}});
}

}  // namespace

std::string FormatEntry(std::wstring_view text, std::wstring_view component, Type type, const Stamp& stamp)
{
    std::string line;
    line.append(Opening).append(EntryText(text)).append(Closing);
    line.append("<time=\"").append(TimeField(stamp));
    line.append("\" date=\"").append(DateField(stamp));
    line.append("\" component=\"").append(ComponentText(component));
    line.append("\" context=\"\" type=\"");
    AppendNumber(line, static_cast<unsigned long>(type), 1);
    line.append("\" thread=\"");
    AppendNumber(line, stamp.thread, 1);
    line.append("\" file=\"\">\r\n");
    return line;
}

}  // namespace runlog
