#pragma once
// Writes the file that the options describe: a patch package, or for tests a file that is
// none.
#include "options.h"
#include "outcome.h"

Outcome WritePackage(const PackageOptions& options);
