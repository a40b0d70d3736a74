#pragma once
// A property that fails ends the run as a crash, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}
