// The wrapper's DLL search as it runs on Windows 7 without its DLL-search update, where
// SetDefaultDllDirectories is missing, forced here where the function exists: restricts the
// search that way and loads msi.dll, shell32.dll and user32.dll through SystemLibrary as the
// wrapper does, then calls into msi.dll and shell32.dll. Exit code 0 when every library was
// found and answered.
#include <windows.h>
#include <msi.h>
#include <shellapi.h>

#include "platform/system_library_win.h"

int wmain()
{
    RestrictDllSearch(DllSearch::FullSystemPath);
    const SystemLibrary msi(L"msi.dll", DllSearch::FullSystemPath);
    const SystemLibrary shell32(L"shell32.dll", DllSearch::FullSystemPath);
    const SystemLibrary user32(L"user32.dll", DllSearch::FullSystemPath);
    const auto queryState = msi.Bind<decltype(&::MsiQueryProductStateW)>("MsiQueryProductStateW");
    const auto split = shell32.Bind<decltype(&::CommandLineToArgvW)>("CommandLineToArgvW");
    const auto messageBox = user32.Bind<decltype(&::MessageBoxW)>("MessageBoxW");
    if (!queryState || !split || !messageBox)
        return 1;
    int count = 0;
    LPWSTR* arguments = split(L"probe one two", &count);
    LocalFree(arguments);
    const bool answered = queryState(L"{00000000-0000-0000-0000-000000000000}") == INSTALLSTATE_UNKNOWN;
    return answered && count == 3 ? 0 : 1;
}
