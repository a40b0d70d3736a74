#pragma once
#include "installer.h"

namespace msi {

// Holds the installer's internal UI level at `level` and restores the previous one.
class ScopedUiLevel {
public:
    ScopedUiLevel(Installer& installer, int level)
        : installer_(installer), previous_(installer.SetInternalUI(level))
    {
    }
    ~ScopedUiLevel() { installer_.SetInternalUI(previous_); }
    ScopedUiLevel(const ScopedUiLevel&) = delete;
    ScopedUiLevel& operator=(const ScopedUiLevel&) = delete;

private:
    Installer& installer_;
    int previous_;
};

}  // namespace msi
