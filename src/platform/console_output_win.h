#pragma once
// Writes a line to a standard handle so that names in any script arrive intact: as UTF-16
// through WriteConsoleW when the handle is a console, whatever its codepage; as UTF-8 bytes
// when it is redirected to a file or a pipe.
#include <windows.h>

#include <string_view>

void WriteConsoleLine(DWORD standardHandle, std::wstring_view text);
