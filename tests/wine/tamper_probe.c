/* Another process of the user trying to change the extracted package while the wrapper runs.
   A test product's custom action starts it during the patch's own installation:
     tamper_probe <package> <report>
   It reads the package, then tries to open it for writing, to rename it and to delete it, and
   writes one line per attempt to <report>: the attempt and 0, or the error that stopped it. */
#include <windows.h>
#include <stdio.h>

#define ANY_SHARING (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)

static DWORD Opening(const wchar_t *path, DWORD access)
{
    HANDLE file = CreateFileW(path, access, ANY_SHARING, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

static DWORD Outcome(BOOL done)
{
    return done ? 0 : GetLastError();
}

int wmain(int argc, wchar_t **argv)
{
    wchar_t moved[MAX_PATH + 8];
    DWORD read, write, rename, removal;
    FILE *report;
    if (argc != 3 || wcslen(argv[1]) >= MAX_PATH)
        return 2;
    swprintf(moved, MAX_PATH + 8, L"%ls.moved", argv[1]);
    read = Opening(argv[1], GENERIC_READ);
    write = Opening(argv[1], GENERIC_WRITE);
    rename = Outcome(MoveFileW(argv[1], moved));
    removal = Outcome(DeleteFileW(argv[1]));
    report = _wfopen(argv[2], L"w");
    if (!report)
        return 1;
    fprintf(report, "read %lu\nwrite %lu\nrename %lu\ndelete %lu\n", read, write, rename, removal);
    fclose(report);
    return 0;
}
