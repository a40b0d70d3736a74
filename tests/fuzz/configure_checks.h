#pragma once
// What every configure call must get, whoever built it: the checks that the driver target
// and the command-line target share.
#include <string>
#include <string_view>
#include <vector>

#include "installer_command_line.h"

// A well-formed property list that starts with PATCH="<package path>", names PATCH (in any
// case) only there and otherwise only the wrapper's own properties, each once, with
// REBOOTPROMPT=SUPPRESS. Returns the list for further checks.
std::vector<CommandLineProperty> RequireConfigureCommandLine(const std::wstring& line,
                                                             const std::wstring& packagePath);

// A file directly in `temporaryDirectory` whose name Windows can hold and that names no
// device, ending in ".log", the whole path at most 259 characters.
void RequireLogPath(const std::wstring& path, const std::wstring& temporaryDirectory);

// No separator and nothing else a Windows file name cannot hold.
bool HoldsOnlyFileNameCharacters(std::wstring_view fileName);

// Windows opens a device for these names, whatever extension follows and with spaces before
// it ignored.
bool NamesDevice(std::wstring_view fileName);

// Whether a log path can be made in `temporaryDirectory` at all.
bool LogPathFits(const std::wstring& temporaryDirectory);
