/* Makes a copy of a wrapper that carries another package, whatever it holds, by replacing the
   MSP/IDR_MSP resource in place, and with a version also MSPVERSION/IDR_MSPVERSION. Unlike
   the maker it checks nothing, so tests can give the wrapper what the maker would refuse:
   rewrap <wrapper.exe> <package> <copy.exe> [<up-to-date version>] */
#include <windows.h>
#include <stdio.h>

static BOOL CALLBACK FirstLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR found)
{
    (void)module, (void)type, (void)name;
    *(WORD *)found = language;
    return FALSE;
}

static BYTE *ReadWhole(const wchar_t *path, DWORD *size)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BYTE *data = NULL;
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    *size = GetFileSize(file, NULL);
    data = HeapAlloc(GetProcessHeap(), 0, *size ? *size : 1);
    if (!ReadFile(file, data, *size, size, NULL))
        data = NULL;
    CloseHandle(file);
    return data;
}

int wmain(int argc, wchar_t **argv)
{
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    DWORD size = 0;
    BYTE *package;
    HMODULE original;
    HANDLE update;
    if (argc != 4 && argc != 5) {
        fprintf(stderr, "usage: rewrap <wrapper.exe> <package> <copy.exe> [<version>]\n");
        return 2;
    }
    original = LoadLibraryExW(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (original) {
        EnumResourceLanguagesW(original, L"MSP", L"IDR_MSP", FirstLanguage, (LONG_PTR)&language);
        FreeLibrary(original);
    }
    package = ReadWhole(argv[2], &size);
    if (!package || !CopyFileW(argv[1], argv[3], FALSE)) {
        fprintf(stderr, "rewrap: cannot read %ls or write %ls\n", argv[2], argv[3]);
        return 1;
    }
    update = BeginUpdateResourceW(argv[3], FALSE);
    if (!update || !UpdateResourceW(update, L"MSP", L"IDR_MSP", language, package, size) ||
        (argc == 5 && !UpdateResourceW(update, L"MSPVERSION", L"IDR_MSPVERSION", language, argv[4],
                                       (DWORD)(wcslen(argv[4]) * sizeof(wchar_t)))) ||
        !EndUpdateResourceW(update, FALSE)) {
        fprintf(stderr, "rewrap: updating the resources failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
