#pragma once
#include <windows.h>

#include <string>

// How this process keeps DLLs beside the wrapper (a download folder) from being loaded.
enum class DllSearch {
    // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): every load searches the system
    // directory only. Windows 8 and later, and Windows 7 with its DLL-search update
    // (KB2533623), which brought the function and the LOAD_LIBRARY_SEARCH_* flags together.
    SystemDirectoryOnly,
    // Windows 7 without that update: SetDllDirectoryW(L"") takes the current directory out of
    // the search, and the wrapper's own loads name the DLL by its full system-directory path
    // with the altered search order, which looks for that DLL's own dependencies in the
    // system directory and never in the wrapper's folder.
    FullSystemPath,
};

// SetDefaultDllDirectories where kernel32 has it. It is looked up at run time, not imported:
// an import of it would keep the wrapper from starting at all where it is missing.
inline decltype(&::SetDefaultDllDirectories) DefaultDllDirectoriesFunction()
{
    return reinterpret_cast<decltype(&::SetDefaultDllDirectories)>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

// GetTempPath2W where kernel32 has it (build 20348 on: Windows 11, Server 2022; Windows 10
// 1607 and Server 2016 on with the updates of March 2025, KB5053594), looked up at run time
// for the same reason. It has GetTempPathW's signature, and the
// SDK headers of this toolchain do not declare it.
inline decltype(&::GetTempPathW) SecuredTemporaryPathFunction()
{
    return reinterpret_cast<decltype(&::GetTempPathW)>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
}

// The way this Windows supports.
inline DllSearch AvailableDllSearch()
{
    return DefaultDllDirectoriesFunction() ? DllSearch::SystemDirectoryOnly : DllSearch::FullSystemPath;
}

// Restricts the DLL search of the whole process in `way`; the first thing the wrapper does.
inline void RestrictDllSearch(DllSearch way = AvailableDllSearch())
{
    const auto setDefaultDirectories = DefaultDllDirectoriesFunction();
    if (way == DllSearch::SystemDirectoryOnly && setDefaultDirectories &&
        setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    SetDllDirectoryW(L"");
}

// A DLL loaded from the system directory only, never from the folder the wrapper runs from,
// with its functions bound by name. The wrapper imports nothing at start but KERNEL32 and
// msvcrt, so every other DLL comes through here after the search has been restricted.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name, DllSearch way = AvailableDllSearch())
        : module_(Load(name, way))
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
    static HMODULE Load(const wchar_t* name, DllSearch way)
    {
        if (way == DllSearch::SystemDirectoryOnly)
            return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        wchar_t directory[MAX_PATH];
        const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        const std::wstring path = std::wstring(directory, length) + L"\\" + name;
        return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }

    HMODULE module_;
};
