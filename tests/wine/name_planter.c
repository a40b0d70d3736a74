/* Starts a program suspended so that a test can plant files, folders and links under the
   "MSP<n>" names that its extraction will try before it runs:
     name_planter <first> <go> <program> [arguments]
   It writes to the file <first> the number the program's names start from at this tick (the
   process id times 7919 plus the tick count, as a decimal), waits until the file <go> exists
   (60 s at most), lets the program run, waits for it and prints its whole exit code as the
   launcher does. */
#include <windows.h>
#include <stdio.h>

#include "rest_of_command_line.h"

int wmain(int argc, wchar_t **argv)
{
    wchar_t *command;
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    DWORD code = 0, waited;
    FILE *first;
    if (argc < 4)
        return 2;
    command = _wcsdup(RestOfCommandLine(GetCommandLineW(), 3));
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup, &process)) {
        printf("LAUNCH-FAILED=%lu\n", GetLastError());
        return 1;
    }
    first = _wfopen(argv[1], L"w");
    if (!first)
        return 1;
    fprintf(first, "%lu\n", process.dwProcessId * 7919u + GetTickCount());
    fclose(first);
    for (waited = 0; GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES && waited < 60000; waited += 10)
        Sleep(10);
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    printf("EXITCODE=%lu\n", code);
    fflush(stdout);
    return 0;
}
