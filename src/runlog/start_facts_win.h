#pragma once
#include <optional>
#include <string>

#include "start_entries.h"

namespace runlog {

// The facts of this process. `windowsVisible` and `temporaryFolder` are what the wrapper has
// already found out for its own decisions; the rest is asked of Windows here.
StartFacts GatherStartFacts(bool windowsVisible, const std::optional<std::wstring>& temporaryFolder);

}  // namespace runlog
