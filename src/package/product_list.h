#pragma once
#include "platform/platform.h"
#include "installer/installer.h"

namespace package {

// "/i": shows the package's target product codes exactly as stored, also under "/q", unless
// `windowsVisible` is false (no one could close the box: Reporter::WindowsVisible), and leaves
// the extracted package in the temporary directory. A set's box has a line for each package:
// "<file name>: <its target codes as stored>". True when every list was read.
bool ShowTargetProductList(Platform& platform, msi::Installer& installer, bool windowsVisible);

}  // namespace package
