#pragma once
// "/e": the wrapper's packages written out, for an administrator to deploy or inspect.
#include <string>

#include "platform/platform.h"
#include "runlog/run_log.h"

namespace package {

// A wrapper of one patch writes its package to `path`, or to a new temporary "MSP<number>"
// file when `path` is empty. A set writes each package under its own file name into the
// folder `path`, made with the folders on its way where missing; files already there are
// replaced. With an empty `path` the folder is a new "MSP<number>" one in the temporary folder,
// which the run log names, and a box too where `showFolder`. Every file is checked as the
// extraction checks it. True when every package was written.
bool ExtractEmbeddedPackages(Platform& platform, runlog::RunLog& log, const std::wstring& path, bool showFolder);

}  // namespace package
