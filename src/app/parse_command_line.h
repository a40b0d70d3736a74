#pragma once
#include "run_options.h"

// Fills RunOptions from the process's command line, split as the shell splits it.
bool ParseCommandLine();
