#pragma once
#include <string>
#include <vector>

// What this run was asked to do.
struct CommandLineOptions {
    bool quiet = false;
    bool noRestart = false;  // "/norestart": the installer may not restart the machine
    bool extractOnly = false;
    std::wstring extractPath;
    bool listOnly = false;
    bool installMode = true;
};

// Set once at start, only read afterwards.
extern CommandLineOptions RunOptions;

// The option scan over the arguments as the shell splits them; arguments[0] is the program.
CommandLineOptions ScanArguments(const std::vector<std::wstring>& arguments);
