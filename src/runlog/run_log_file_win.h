#pragma once
// The run log as a file, safe to keep where the wrapper runs as SYSTEM: in a temporary folder
// that other accounts may write to, whatever they planted under its name.
#include <windows.h>

#include <string>

#include "platform/unique_handle_win.h"
#include "run_log.h"

namespace runlog {

// Opens (or creates, with its missing folders) the log at `path` and appends one line per
// entry. Only a regular file with a single name that is empty or begins as this wrapper's
// logs do is written to: a link, a folder, a hard link or any other file under the name is
// left as it is, and the run goes on without a log. A log that has reached RotateAtBytes is
// renamed to its RotatedPath first and the run starts a fresh one. Other processes may read
// and append while it is open, so two runs at once keep both their entries.
class RunLogFile final : public RunLog {
public:
    // Whether the folders of the path are made where they are missing: for a path the
    // administrator chose, not for the temporary folder, whose absence the run must meet as
    // it always has.
    enum class Folders { Create, MustExist };

    // `component` names the writer in every entry: the wrapper's file name without extension.
    RunLogFile(const std::wstring& path, std::wstring component, Folders folders);

    bool IsOpen() const { return static_cast<bool>(file_); }

    // A write that fails is dropped; the run does not depend on its log.
    void Write(Type type, std::wstring_view text) override;

private:
    UniqueKernelHandle file_;
    std::wstring component_;
};

}  // namespace runlog
