#pragma once
// The installer state that the tests read, one function per question.
#include <windows.h>
#include <msi.h>

#include <string>

#include "answer.h"

// MsiQueryProductStateW, as a number (5 = installed, -1 = unknown).
Answer ProductState(const std::wstring& product);
// MsiGetProductInfoW, e.g. "VersionString", "ProductName", "Language".
Answer ProductInfo(const std::wstring& product, const std::wstring& attribute);
// MsiGetPatchInfoExW "State" of a patch for a product in `context` ("1" = applied).
Answer PatchState(const std::wstring& patch, const std::wstring& product, MSIINSTALLCONTEXT context);
// A property of the installed product's package, through MsiOpenProductW without any UI.
Answer ProductProperty(const std::wstring& product, const std::wstring& property);
// One property of a package file's summary information: text as stored, numbers in decimal.
Answer SummaryProperty(const std::wstring& path, UINT property);
