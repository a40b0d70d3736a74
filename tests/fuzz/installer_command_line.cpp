#include "installer_command_line.h"

#include <algorithm>
#include <utility>

namespace {

class Reader {
public:
    explicit Reader(std::wstring_view line) : line_(line) {}

    std::optional<std::vector<CommandLineProperty>> Properties()
    {
        std::vector<CommandLineProperty> properties;
        for (SkipSpaces(); position_ < line_.size(); SkipSpaces()) {
            std::optional<CommandLineProperty> property = Property();
            if (!property)
                return std::nullopt;
            properties.push_back(*property);
        }
        return properties;
    }

private:
    void SkipSpaces()
    {
        while (position_ < line_.size() && line_[position_] == L' ')
            ++position_;
    }

    std::optional<CommandLineProperty> Property()
    {
        const std::size_t equals = line_.find(L'=', position_);
        if (equals == std::wstring_view::npos || equals == position_)
            return std::nullopt;
        std::wstring name(line_.substr(position_, equals - position_));
        if (name.find_first_of(L" \"") != std::wstring::npos)
            return std::nullopt;
        position_ = equals + 1;
        const bool quoted = position_ < line_.size() && line_[position_] == L'"';
        std::optional<std::wstring> value = quoted ? QuotedValue() : BareValue();
        if (!value)
            return std::nullopt;
        return CommandLineProperty{std::move(name), std::move(*value), quoted};
    }

    std::optional<std::wstring> QuotedValue()
    {
        std::wstring value;
        for (++position_; position_ < line_.size(); ++position_) {
            if (line_[position_] != L'"') {
                value.push_back(line_[position_]);
            } else if (position_ + 1 < line_.size() && line_[position_ + 1] == L'"') {
                value.push_back(L'"');
                ++position_;
            } else {
                ++position_;
                const bool separated = position_ == line_.size() || line_[position_] == L' ';
                return separated ? std::optional<std::wstring>(value) : std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<std::wstring> BareValue()
    {
        const std::size_t end = std::min(line_.find(L' ', position_), line_.size());
        std::wstring value(line_.substr(position_, end - position_));
        position_ = end;
        if (value.find(L'"') != std::wstring::npos)
            return std::nullopt;
        return value;
    }

    std::wstring_view line_;
    std::size_t position_ = 0;
};

}  // namespace

std::optional<std::vector<CommandLineProperty>> ParseCommandLine(std::wstring_view line)
{
    return Reader(line).Properties();
}

const CommandLineProperty* FindProperty(const std::vector<CommandLineProperty>& properties,
                                        std::wstring_view name)
{
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [&](const CommandLineProperty& property) { return property.name == name; });
    return found == properties.end() ? nullptr : &*found;
}
