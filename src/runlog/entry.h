#pragma once
// One entry of the run log in Configuration Manager's log format, the one its viewers
// (CMTrace, OneTrace) split into columns and colour by type.
#include <cstdint>
#include <string>
#include <string_view>

#include "run_log.h"

namespace runlog {

// When and on which thread an entry was written.
struct Stamp {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
    // Minutes from local time to UTC as Windows counts them (UTC = local + bias), daylight
    // saving included when in effect: -60 in Berlin in winter, +300 in New York.
    int biasMinutes = 0;
    std::uint32_t thread = 0;
};

// The entry as one UTF-8 line ending in "\r\n":
//   <![LOG[text]LOG]!><time="HH:MM:SS.mmm+BBB" date="MM-DD-YYYY" component="…" context=""
//   type="1" thread="N" file="">
// with the bias signed and in at least three digits, as the viewers read it ("+000", "-060",
// "+300"). No text can end its entry early or start another: line breaks and every other
// control character are written as escapes ("\n", "\r", "\t", "\xNN", "\uNNNN"), the format's
// delimiters are broken up by a space ("<! [LOG[", "]LOG] !>"), and an unpaired surrogate
// becomes U+FFFD. A quote, an angle bracket or a control character in the component becomes
// "_".
std::string FormatEntry(std::wstring_view text, std::wstring_view component, Type type, const Stamp& stamp);

}  // namespace runlog
