#include "start_entries.h"

namespace runlog {

void WriteStart(RunLog& log, const StartFacts& facts)
{
    const std::wstring version = facts.version.empty() ? L"(no version)" : facts.version;
    log.Info(L"svcpack " + version + L" (" + facts.build + L") started: " + facts.wrapperPath);
    log.Info(L"Command line: " + facts.commandLine);
    log.Info(L"Account: " + facts.account);
    log.Info(std::wstring(L"Windows can be seen: ") + (facts.windowsVisible ? L"yes" : L"no"));
    log.Info(L"Temporary folder: " + facts.temporaryFolder.value_or(L"none usable"));
}

}  // namespace runlog
