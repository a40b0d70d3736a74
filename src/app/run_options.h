#pragma once
#include <optional>
#include <string>
#include <vector>

// What the installer may show of itself while it works.
enum class InstallerUi {
    Basic,         // its basic UI without a cancel button; progress only where no one can see it
    ProgressOnly,  // "/passive": its progress window only
    None,          // "/quiet": nothing at all
};

// What this run was asked to do.
struct CommandLineOptions {
    bool quiet = false;  // "/q", "/quiet", "/passive": no message boxes
    InstallerUi installerUi = InstallerUi::Basic;
    bool noRestart = false;  // "/norestart": the installer may not restart the machine
    bool extractOnly = false;
    std::wstring extractPath;
    bool listOnly = false;
    bool helpOnly = false;    // "/?", "/help": the usage and nothing else
    // "/log <file>": the run log's file; an empty one where the path cannot be made full
    std::optional<std::wstring> logPath;
    bool installMode = true;  // the default mode
    bool removeMode = false;  // "/uninstall", "/x": takes the patch back instead
};

// Set once at start, only read afterwards.
extern CommandLineOptions RunOptions;

// The option scan over the arguments as the shell splits them; arguments[0] is the program.
CommandLineOptions ScanArguments(const std::vector<std::wstring>& arguments);
