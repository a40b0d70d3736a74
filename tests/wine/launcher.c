/* Runs the command line that follows its own name, waits for it and prints its whole exit
   code, which Wine would otherwise cut to the low eight bits on the way to Linux. */
#include <windows.h>
#include <stdio.h>

#include "rest_of_command_line.h"

int wmain(void)
{
    wchar_t *command = _wcsdup(RestOfCommandLine(GetCommandLineW(), 1));
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    DWORD code = 0;
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("LAUNCH-FAILED=%lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    printf("EXITCODE=%lu\n", code);
    fflush(stdout);
    return 0;
}
