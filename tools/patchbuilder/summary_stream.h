#pragma once
// A summary-information stream ("\005SummaryInformation") written byte by byte: one section
// in the summary format with a codepage property and the properties added. Wine's installer
// does not read a transform's summary as IPropertySetStorage writes it; it reads this layout.
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

class SummaryStream {
public:
    explicit SummaryStream(std::int16_t codepage);

    void AddInt32(std::uint32_t id, std::int32_t value);
    // `text` in the stream's codepage; it is stored with its terminating zero.
    void AddText(std::uint32_t id, const std::string& text);

    Bytes Serialize() const;

private:
    struct Property {
        std::uint32_t id;
        Bytes value;  // type, then the data padded to four bytes
    };
    std::vector<Property> properties_;
};
