#pragma once
// A program's icon as Windows picks it: the image of its "IDR_MAINFRAME" group that best fits
// a size, and whether Windows can make an icon of it.
#include <string>

#include "answer.h"

// "<resource id> <image bytes> <width>" for the image chosen at `size` pixels.
Answer ProgramIcon(const std::wstring& path, int size);
