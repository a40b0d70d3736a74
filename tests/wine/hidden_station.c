/* Runs the command line that follows its own name and a time-out in seconds on a window
   station of its own, made without WSF_VISIBLE, as a service's or SYSTEM's in session 0 is:
       hidden_station.exe <seconds> <program> [arguments]
   It prints the new station's UOI_FLAGS, then the child's whole exit code, and ends with that
   code. A message box there never returns, so a child still running after the time-out is
   ended: then it prints TIMEOUT and ends with 1460 (ERROR_TIMEOUT), and the test fails instead
   of waiting. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "rest_of_command_line.h"

#define STATION L"svcpack_hidden"

int wmain(void)
{
    const wchar_t *rest = RestOfCommandLine(GetCommandLineW(), 1);
    const DWORD seconds = (DWORD)wcstoul(rest, NULL, 10);
    wchar_t *command = _wcsdup(RestOfCommandLine(rest, 1));
    wchar_t desktop[] = STATION L"\\Default";
    HWINSTA own = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationW(STATION, 0, WINSTA_ALL_ACCESS, NULL);
    HDESK created = NULL;
    USEROBJECTFLAGS flags = {0};
    DWORD needed = 0;
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process;
    DWORD code = 0;

    if (!station || !SetProcessWindowStation(station)) {
        printf("STATION-FAILED=%lu\n", GetLastError());
        return 1;
    }
    created = CreateDesktopW(L"Default", NULL, NULL, 0, GENERIC_ALL, NULL);
    SetProcessWindowStation(own);
    if (!created) {
        printf("DESKTOP-FAILED=%lu\n", GetLastError());
        return 1;
    }
    if (GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        printf("STATION-FLAGS=%lu\n", flags.dwFlags);
    fflush(stdout);

    startup.lpDesktop = desktop;
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        printf("LAUNCH-FAILED=%lu\n", GetLastError());
        return 1;
    }
    if (WaitForSingleObject(process.hProcess, seconds * 1000) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, ERROR_TIMEOUT);
        WaitForSingleObject(process.hProcess, INFINITE);
        printf("TIMEOUT\n");
        fflush(stdout);
        return ERROR_TIMEOUT;
    }
    GetExitCodeProcess(process.hProcess, &code);
    printf("CHILD-EXITCODE=%lu\n", code);
    fflush(stdout);
    return (int)code;
}
