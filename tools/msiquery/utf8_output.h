#pragma once
// Writes a line as UTF-8 bytes to a standard handle, so that names in any script reach the
// reading side (a pipe to the test) unchanged, whatever the console codepage.
#include <windows.h>

#include <string>

void WriteUtf8Line(DWORD standardHandle, const std::wstring& text);
