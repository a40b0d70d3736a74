#pragma once
// The wrapper's own log of a run: what it found, decided and reported, for the administrator
// who otherwise sees only an exit code.
#include <string_view>

namespace runlog {

// The entry types of Configuration Manager's log format: the viewers colour 2 and 3.
enum class Type { Information = 1, Warning = 2, Error = 3 };

// Where a run's entries go. A log that cannot be written drops them: nothing about the run
// may change because its log failed.
class RunLog {
public:
    virtual ~RunLog() = default;
    virtual void Write(Type type, std::wstring_view text) = 0;

    void Info(std::wstring_view text) { Write(Type::Information, text); }
    void Warning(std::wstring_view text) { Write(Type::Warning, text); }
    void Error(std::wstring_view text) { Write(Type::Error, text); }
};

}  // namespace runlog
