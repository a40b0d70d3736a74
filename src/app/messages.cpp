#include "messages.h"

#include "platform/decimal.h"

namespace message {

std::optional<Entry> Find(std::uint32_t messageId)
{
    switch (messageId) {
    case InstallationError:
        return Entry{InstallationError, {Value::Word}, ErrorCaption, StyleError};
    case ProgramsRunning:
        return Entry{ProgramsRunning, {Value::ProductName}, ErrorCaption, StyleError};
    case NothingToPatch:
    case AlreadyUpToDate:
        return Entry{AlreadyUpToDate, {Value::ProductName, Value::Word}, UnnecessaryCaption,
                     StyleInformation};
    case NoTargetInstalled:
        return Entry{NoTargetInstalled, {Value::Word, Value::Word}, ErrorCaption, StyleError};
    case PatchDoesNotFit:
        return Entry{PatchDoesNotFit, {Value::Word, Value::ProductName}, ErrorCaption, StyleError};
    case AllPatched:
        return Entry{SuccessText, {Value::Word}, SuccessCaption, StyleInformation};
    case AllRemoved:
        return Entry{AllRemoved, {Value::Word}, RemovedCaption, StyleInformation};
    case NothingToRemove:
        return Entry{NothingToRemove, {Value::Word}, RemovalUnnecessaryCaption, StyleInformation};
    case CannotBeRemoved:
        return Entry{CannotBeRemoved, {Value::Word, Value::ProductName}, RemovalErrorCaption, StyleError};
    case RemovalError:
        return Entry{RemovalError, {Value::Word}, RemovalErrorCaption, StyleError};
    case Usage:
        return Entry{Usage, {}, UsageCaption, StyleInformation, true, 4096};
    default:
        return std::nullopt;
    }
}

std::wstring Fill(std::wstring_view text, const std::vector<std::wstring_view>& values,
                  std::int32_t errorCode, std::size_t capacity)
{
    const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
    std::wstring out;
    auto append = [&](std::wstring_view piece) {
        out.append(piece.substr(0, limit - out.size()));
    };
    std::size_t nextValue = 0;
    for (std::size_t i = 0; i < text.size() && out.size() < limit; ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L's') {
            if (nextValue < values.size())
                append(values[nextValue++]);
            ++i;
        } else if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] == L'd') {
            append(Decimal(errorCode));
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace message
