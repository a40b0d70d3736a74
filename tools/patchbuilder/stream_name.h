#pragma once
// The name under which the installer stores a table's stream (and "_StringPool",
// "_StringData"): U+4840 first, then the name with pairs of characters from "0-9A-Za-z._"
// packed into one character each, so that long table names fit the 31 characters a
// compound-file element name may have.
#include <string>
#include <string_view>

std::wstring EncodeTableStreamName(std::wstring_view name);
