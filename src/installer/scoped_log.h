#pragma once
#include <string>

#include "installer.h"

namespace msi {

// Verbose installer logging to one file (none for an empty path) for as long as it lives;
// a log of the same name is replaced, not appended to.
class ScopedLog {
public:
    ScopedLog(Installer& installer, const std::wstring& path) : installer_(installer)
    {
        installer_.EnableLog(LogModeVerbose, path, 0);
    }
    ~ScopedLog() { installer_.EnableLog(LogModeOff, L"", 0); }
    ScopedLog(const ScopedLog&) = delete;
    ScopedLog& operator=(const ScopedLog&) = delete;

private:
    Installer& installer_;
};

}  // namespace msi
