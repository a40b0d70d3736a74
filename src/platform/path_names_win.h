#pragma once
#include "platform/platform.h"

// The longest path the wide file calls take, in characters.
constexpr unsigned long LongestPath = 32768;

class WindowsPathNames final : public PathNames {
public:
    std::optional<std::wstring> FullPathName(const std::wstring& path, std::size_t capacity) override;
};
