#pragma once
// A program's VERSIONINFO as Windows reads it (GetFileVersionInfoW and VerQueryValueW), so the
// tests see what Explorer's properties would show.
#include <string>

#include "answer.h"

// `name` from the string table that the file's first translation names, or with "fixed" the
// numeric file and product versions ("12.2.0.4 12.2.0.4").
Answer FileVersionValue(const std::wstring& path, const std::wstring& name);
