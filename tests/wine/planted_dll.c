/* A DLL that stands in for one planted beside the wrapper in a download folder: when anything
   loads it, it leaves a marker file next to itself, so a test sees that it ran. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 16];
        DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
        lstrcpyW(path + length, L".loaded");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    }
    return TRUE;
}
