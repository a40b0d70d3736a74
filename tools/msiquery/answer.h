#pragma once
// What one query found: the value, or the installer's error code and what failed.
#include <windows.h>

#include <string>

struct Answer {
    UINT error = ERROR_SUCCESS;
    std::wstring text;  // the value when error is ERROR_SUCCESS, otherwise a description

    bool Found() const { return error == ERROR_SUCCESS; }
};
