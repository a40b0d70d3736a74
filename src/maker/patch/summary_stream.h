#pragma once
// Texts from a summary-information stream ("\005SummaryInformation") read from its bytes.
// Wine's IPropertyStorage::ReadMultiple hands back nothing for the narrow texts of the
// installer's summary streams (it converts them as if they were UTF-16 and fails), so the
// maker reads the stream through structured storage and the property set here.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace maker {

struct SummaryText {
    std::string bytes;           // up to its terminating zero
    std::uint16_t codepage = 0;  // the stream's own (property 1); 0 when it names none
};

// The text of `property` in the summary section; no value when the stream is damaged, has no
// summary section, or the property is missing or no narrow text.
std::optional<SummaryText> FindSummaryText(std::span<const std::byte> stream, std::uint32_t property);

}  // namespace maker
