#include "patch_set.h"

#include <algorithm>

#include "package/embedded_resources.h"
#include "text/ascii_case.h"

namespace maker {

std::wstring FileNameOf(std::wstring_view path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

std::optional<SetRefusal> CheckSetFileNames(const std::vector<std::wstring>& paths)
{
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::wstring name = FileNameOf(paths[i]);
        if (!package::IsUsablePackageFileName(name))
            return SetRefusal{paths[i], L"its file name \"" + name + L"\" is no name the wrapper's /e can write a "
                                        L"package under; rename the file"};
        for (std::size_t earlier = 0; earlier < i; ++earlier)
            if (SameIgnoringAsciiCase(FileNameOf(paths[earlier]), name))
                return SetRefusal{paths[i], L"has the file name of " + paths[earlier] +
                                                L" (regardless of case), and the wrapper's /e writes each package "
                                                L"under its own name; rename one of them"};
    }
    return std::nullopt;
}

std::optional<SetRefusal> CheckSetPatches(const std::vector<CheckedPatch>& patches)
{
    for (std::size_t i = 0; i < patches.size(); ++i) {
        for (const std::wstring& code : patches[i].targets)
            if (code.size() != BracedGuidLength || !StartsWithBracedGuid(code))
                return SetRefusal{patches[i].path, L"names the target \"" + code + L"\", which is no product code in "
                                                   L"braces; a wrapper for a set gives each target its version by its code"};
        for (std::size_t earlier = 0; earlier < i; ++earlier)
            if (SameIgnoringAsciiCase(patches[earlier].patchCode, patches[i].patchCode))
                return SetRefusal{patches[i].path, L"has the patch code " + patches[i].patchCode + L" of " +
                                                       patches[earlier].path + L": one patch cannot come twice"};
    }
    return std::nullopt;
}

bool Targets(const CheckedPatch& patch, std::wstring_view productCode)
{
    return std::ranges::any_of(patch.targets, [&](const std::wstring& code) { return SameIgnoringAsciiCase(code, productCode); });
}

std::vector<std::wstring> SetTargets(const std::vector<CheckedPatch>& patches)
{
    std::vector<std::wstring> products;
    for (const CheckedPatch& patch : patches)
        for (const std::wstring& code : patch.targets)
            if (std::ranges::none_of(products, [&](const std::wstring& known) { return SameIgnoringAsciiCase(known, code); }))
                products.push_back(code);
    return products;
}

}  // namespace maker
