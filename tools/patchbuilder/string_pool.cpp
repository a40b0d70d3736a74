#include "string_pool.h"

#include <algorithm>

std::uint16_t StringPool::Reference(const std::string& text)
{
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Entry& entry) { return entry.text == text; });
    if (found == entries_.end())
        found = entries_.insert(entries_.end(), Entry{text, 0});
    ++found->uses;
    return static_cast<std::uint16_t>(found - entries_.begin() + 1);
}

Bytes StringPool::PoolStream() const
{
    Bytes out;
    AppendU16(out, codepage_);
    AppendU16(out, 0);  // two-byte references
    for (const Entry& entry : entries_) {
        AppendU16(out, static_cast<std::uint16_t>(entry.text.size()));
        AppendU16(out, entry.uses);
    }
    return out;
}

Bytes StringPool::DataStream() const
{
    Bytes out;
    for (const Entry& entry : entries_)
        AppendText(out, entry.text);
    return out;
}
