#pragma once
// The result of one step of writing a package: nothing when it worked, otherwise which step
// failed and the code the platform gave, so that the message on stderr says both.
#include <windows.h>

#include <string>

struct [[nodiscard]] Outcome {
    std::wstring failedStep;  // empty: the step worked
    unsigned long code = 0;

    bool Failed() const { return !failedStep.empty(); }
};

inline Outcome CheckHresult(HRESULT result, const std::wstring& step)
{
    return SUCCEEDED(result) ? Outcome{} : Outcome{step, static_cast<unsigned long>(result)};
}

inline Outcome CheckInstaller(UINT result, const std::wstring& step)
{
    return result == ERROR_SUCCESS ? Outcome{} : Outcome{step, result};
}
