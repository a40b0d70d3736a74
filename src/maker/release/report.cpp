#include "report.h"

#include "platform/decimal.h"

namespace maker {

const wchar_t* const Usage =
    L"usage: svcpack-make <patch.msp> <wrapper.exe> [/version <v>] [/stub <stub.exe>]\n"
    L"                    [/company <text>] [/copyright <text>] [/icon <file.ico>]\n"
    L"\n"
    L"Makes <wrapper.exe>, a copy of the stub that carries the patch package and the\n"
    L"ProductVersion the patch brings, and <wrapper.exe>.detection.json, the rule that tells\n"
    L"deployment tools the patch is applied. The version comes from the patch's transforms;\n"
    L"/version gives it when the patch cannot (or to override it). The stub defaults to\n"
    L"svcpack.exe beside svcpack-make.exe. /company and /copyright set the version resource's\n"
    L"CompanyName and LegalCopyright; /icon replaces the wrapper's icon. Options may also be\n"
    L"written -version or --version.\n"
    L"\n"
    L"Exit codes:\n"
    L"  0  the wrapper was made\n"
    L"  2  the command line is not usable\n"
    L"  3  the package, the stub or the icon cannot be read (or the stub is no program)\n"
    L"  4  the package is not a usable patch package\n"
    L"  5  the up-to-date version cannot be derived from the patch: give /version\n"
    L"  6  the output cannot be written (its path is left as it was)\n"
    L"  7  the package is too large for the 32-bit maker: use x64\\svcpack-make.exe\n"
    L"  8  the /icon file is not an icon";

std::wstring RefusalLine(std::wstring_view file, std::wstring_view problem)
{
    return L"svcpack-make: " + std::wstring(file) + L": " + std::wstring(problem);
}

std::vector<std::wstring> SummaryLines(const MadeWrapper& made)
{
    std::vector<std::wstring> lines;
    lines.push_back(L"Target products: " + Decimal(static_cast<long long>(made.targetProductCodes.size())));
    for (const std::wstring& code : made.targetProductCodes)
        lines.push_back(L"  " + code);
    lines.push_back(L"Patch code: " + made.patchCode);
    lines.push_back(L"Up-to-date version: " + made.version +
                    (made.versionFromOption ? L" (from /version)" : L" (from the patch)"));
    lines.push_back(L"Wrote " + made.outputPath + L" (" + Decimal(static_cast<long long>(made.outputSize)) +
                    L" bytes)");
    return lines;
}

}  // namespace maker
