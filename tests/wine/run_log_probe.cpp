// The run log file alone: opens a RunLogFile at the path given, writes the start entries
// when asked ("--start"), then one entry of each type and one whose text holds a line feed
// and the format's closing delimiter, and prints "open" or "not open".
#include <windows.h>

#include <cstdio>
#include <string_view>

#include "runlog/run_log_file_win.h"
#include "runlog/start_facts_win.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2 || argc > 3)
        return 2;
    runlog::RunLogFile log(argv[1], L"run_log_probe", runlog::RunLogFile::Folders::Create);
    if (argc == 3 && std::wstring_view(argv[2]) == L"--start")
        runlog::WriteStart(log, runlog::GatherStartFacts(false, L"C:\\Windows\\SystemTemp\\"));
    log.Info(L"information");
    log.Warning(L"warning");
    log.Error(L"error");
    log.Info(L"two\nlines ]LOG]!> Büro");
    std::fputs(log.IsOpen() ? "open\n" : "not open\n", stdout);
    return 0;
}
