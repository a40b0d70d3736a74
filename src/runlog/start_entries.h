#pragma once
// The first entries of every run: which wrapper ran, how it was started and as whom, so that
// a log read on another machine says where it came from.
#include <optional>
#include <string>

#include "run_log.h"

namespace runlog {

struct StartFacts {
    std::wstring wrapperPath;
    std::wstring version;  // the wrapper's FileVersion; empty for the bare stub, which has none
    std::wstring build;    // "i686" or "x86_64"
    std::wstring commandLine;
    std::wstring account;  // DOMAIN\user, with " (SYSTEM)" for the local system account
    bool windowsVisible = false;
    std::optional<std::wstring> temporaryFolder;  // none when no usable one was found
};

// One Information entry per fact.
void WriteStart(RunLog& log, const StartFacts& facts);

}  // namespace runlog
