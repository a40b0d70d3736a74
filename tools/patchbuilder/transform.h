#pragma once
// The transform that a patch package carries for one target product: its summary names the
// product before and after, and its Property table data sets ProductVersion to the new version.
#include <string>
#include <vector>

#include "bytes.h"
#include "options.h"

struct NamedStream {
    std::wstring name;  // as stored in the transform's storage
    Bytes bytes;
};

std::vector<NamedStream> VersionTransform(const Target& target, const std::wstring& newVersion);
