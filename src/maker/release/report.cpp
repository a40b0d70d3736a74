#include "report.h"

#include "platform/decimal.h"

namespace maker {

const wchar_t* const Usage =
    L"usage: svcpack-make <patch.msp>... <wrapper.exe> [/version <v>] [/stub <stub.exe>]\n"
    L"                    [/company <text>] [/copyright <text>] [/icon <file.ico>]\n"
    L"\n"
    L"Makes <wrapper.exe>, a copy of the stub that carries the patch package and the\n"
    L"ProductVersion the patch brings, and <wrapper.exe>.detection.json, the rule that tells\n"
    L"deployment tools the patch is applied. The version comes from the patch's transforms;\n"
    L"/version gives it when the patch cannot (or to override it). Several packages make one\n"
    L"wrapper for a vendor's set, each under its file name, with each target product's highest\n"
    L"version; /version then stands in only where the patches cannot tell. The stub defaults to\n"
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
    L"  8  the /icon file is not an icon\n"
    L"  9  the packages cannot go into one wrapper (one file name or patch code twice,\n"
    L"     a name /e cannot write, a target that is no product code)";

namespace {

std::wstring FromWhere(bool fromOption, std::wstring_view otherwise)
{
    return fromOption ? L" (from /version)" : L" (from " + std::wstring(otherwise) + L")";
}

std::wstring WroteLine(const std::wstring& path, std::uint64_t size)
{
    return L"Wrote " + path + L" (" + Decimal(static_cast<long long>(size)) + L" bytes)";
}

}  // namespace

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
    lines.push_back(L"Up-to-date version: " + made.version + FromWhere(made.versionFromOption, L"the patch"));
    lines.push_back(WroteLine(made.outputPath, made.outputSize));
    return lines;
}

std::vector<std::wstring> SetSummaryLines(const MadeSetWrapper& made)
{
    std::vector<std::wstring> lines;
    lines.push_back(L"Patches: " + Decimal(static_cast<long long>(made.fileNames.size())));
    for (std::size_t i = 0; i < made.fileNames.size(); ++i)
        lines.push_back(L"  " + made.fileNames[i] + L": " + made.patchCodes[i]);
    lines.push_back(L"Target products: " + Decimal(static_cast<long long>(made.products.size())));
    for (const ProductUpToDate& product : made.products)
        lines.push_back(L"  " + product.productCode + L": up-to-date version " + product.version + FromWhere(product.fromOption, L"the patches"));
    lines.push_back(WroteLine(made.outputPath, made.outputSize));
    return lines;
}

std::wstring TooLargeLine(const std::vector<std::wstring>& packages)
{
    if (packages.size() == 1)
        return RefusalLine(packages.front(), L"is too large for the 32-bit maker; x64\\svcpack-make.exe makes its wrapper "
                                             L"on 64-bit Windows");
    std::wstring names;
    for (const std::wstring& package : packages)
        names += (names.empty() ? L"" : L", ") + package;
    return RefusalLine(names, L"are too large together for the 32-bit maker; x64\\svcpack-make.exe makes their "
                              L"wrapper on 64-bit Windows");
}

}  // namespace maker
