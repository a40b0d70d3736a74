/* Makes a copy of a wrapper that carries another package, whatever it holds, by replacing the
   MSP/IDR_MSP resource in place, and with a version also MSPVERSION/IDR_MSPVERSION. Unlike
   the maker it checks nothing, so tests can give the wrapper what the maker would refuse:
   rewrap <wrapper.exe> <package> <copy.exe> [<up-to-date version>]
   With /set, the copy carries a set instead: the set resource's bytes from a file, as they
   stand, as MSPSET/IDR_MSPSET, each package as MSP/IDR_MSP<n>, and no IDR_MSP or IDR_MSPVERSION:
   rewrap /set <wrapper.exe> <copy.exe> <set resource> <package>... */
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

static WORD LanguageOf(const wchar_t *wrapper, const wchar_t *type, const wchar_t *name)
{
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    HMODULE original = LoadLibraryExW(wrapper, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (original) {
        EnumResourceLanguagesW(original, type, name, FirstLanguage, (LONG_PTR)&language);
        FreeLibrary(original);
    }
    return language;
}

static int Failed(const char *step)
{
    fprintf(stderr, "rewrap: %s failed (%lu)\n", step, GetLastError());
    return 1;
}

static int RewrapSet(int argc, wchar_t **argv)
{
    const WORD language = LanguageOf(argv[2], L"MSP", L"IDR_MSP");
    const WORD versionLanguage = LanguageOf(argv[2], L"MSPVERSION", L"IDR_MSPVERSION");
    DWORD size = 0;
    BYTE *set = ReadWhole(argv[4], &size);
    HANDLE update;
    int i;
    if (!set || !CopyFileW(argv[2], argv[3], FALSE))
        return Failed("reading the set resource or copying the wrapper");
    update = BeginUpdateResourceW(argv[3], FALSE);
    if (!update || !UpdateResourceW(update, L"MSPSET", L"IDR_MSPSET", language, set, size) ||
        !UpdateResourceW(update, L"MSP", L"IDR_MSP", language, NULL, 0) ||
        !UpdateResourceW(update, L"MSPVERSION", L"IDR_MSPVERSION", versionLanguage, NULL, 0))
        return Failed("updating the resources");
    for (i = 5; i < argc; ++i) {
        wchar_t name[32];
        BYTE *package = ReadWhole(argv[i], &size);
        swprintf(name, 32, L"IDR_MSP%d", i - 4);
        if (!package || !UpdateResourceW(update, L"MSP", name, language, package, size))
            return Failed("adding a package");
    }
    return EndUpdateResourceW(update, FALSE) ? 0 : Failed("writing the copy");
}

int wmain(int argc, wchar_t **argv)
{
    WORD language;
    DWORD size = 0;
    BYTE *package;
    HANDLE update;
    if (argc >= 6 && wcscmp(argv[1], L"/set") == 0)
        return RewrapSet(argc, argv);
    if (argc != 4 && argc != 5) {
        fprintf(stderr, "usage: rewrap <wrapper.exe> <package> <copy.exe> [<version>]\n"
                        "       rewrap /set <wrapper.exe> <copy.exe> <set resource> <package>...\n");
        return 2;
    }
    language = LanguageOf(argv[1], L"MSP", L"IDR_MSP");
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
