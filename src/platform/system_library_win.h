#pragma once
#include <windows.h>

// A DLL loaded from the system directory only, never from the folder the wrapper runs from,
// with its functions bound by name. The wrapper imports nothing at start but KERNEL32 and
// msvcrt, so every other DLL comes through here after the search has been restricted.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name)
        : module_(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
    {
    }
    ~SystemLibrary()
    {
        if (module_)
            FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // The function, or null when the DLL or the function is not there.
    template <typename Function>
    Function Bind(const char* name) const
    {
        if (!module_)
            return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};
