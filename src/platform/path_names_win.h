#pragma once
#include "platform/platform.h"

class WindowsPathNames final : public PathNames {
public:
    std::optional<std::wstring> FullPathName(const std::wstring& path, std::size_t capacity) override;
};
