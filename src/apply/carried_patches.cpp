#include "carried_patches.h"

#include <algorithm>

namespace apply {

namespace {

template <class Part>
std::wstring Joined(const std::vector<std::size_t>& which, std::wstring_view separator, Part part)
{
    std::wstring text;
    for (const std::size_t index : which)
        text += (text.empty() ? L"" : std::wstring(separator)) + part(index);
    return text;
}

}  // namespace

bool CarriedPatches::Extract(const package::EmbeddedPackages& embedded)
{
    for (std::size_t i = 0; i < embedded.resourceNames.size(); ++i) {
        CarriedPatch patch{embedded.resourceNames[i], embedded.set ? embedded.set->fileNames[i] : L"", L"", {}};
        std::unique_ptr<HeldFile> held = run_.platform.ExtractAndHoldPatchPackage(patch.resourceName, patch.packagePath);
        if (!held) {
            run_.log.Error(patch.fileName.empty() ? L"The patch package could not be extracted"
                                                  : L"The patch package " + patch.fileName + L" (" +
                                                        patch.resourceName + L") could not be extracted");
            return false;
        }
        held_.push_back(std::move(held));
        patches_.push_back(std::move(patch));
    }
    return true;
}

bool CarriedPatches::ReadFacts()
{
    for (CarriedPatch& patch : patches_) {
        if (!patch.fileName.empty())
            run_.log.Info(L"Package " + patch.fileName + L": " + patch.packagePath);
        std::optional<PackageFacts> facts = ReadPackageFacts(run_, patch.packagePath);
        if (!facts)
            return false;
        patch.facts = std::move(*facts);
    }
    return true;
}

void CarriedPatches::LetGo()
{
    if (letGo_)
        return;
    letGo_ = true;
    held_.clear();
    for (const CarriedPatch& patch : patches_)
        run_.platform.RemoveFile(patch.packagePath);
}

std::vector<std::wstring> CarriedPatches::Targets() const
{
    std::vector<std::wstring> codes;
    for (const CarriedPatch& patch : patches_)
        for (const std::wstring& code : patch.facts.targets)
            if (std::find(codes.begin(), codes.end(), code) == codes.end())
                codes.push_back(code);
    return codes;
}

std::vector<std::size_t> CarriedPatches::Targeting(const std::wstring& productCode) const
{
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < patches_.size(); ++i) {
        const std::vector<std::wstring>& targets = patches_[i].facts.targets;
        if (std::find(targets.begin(), targets.end(), productCode) != targets.end())
            which.push_back(i);
    }
    return which;
}

std::wstring CarriedPatches::Names(const std::vector<std::size_t>& which) const
{
    return Joined(which, L", ", [&](std::size_t i) {
        return patches_[i].fileName.empty() ? std::wstring(L"the patch") : patches_[i].fileName;
    });
}

std::wstring CarriedPatches::PatchCodeList(const std::vector<std::size_t>& which) const
{
    return Joined(which, L";", [&](std::size_t i) { return patches_[i].facts.patchCode; });
}

std::wstring CarriedPatches::PackagePathList(const std::vector<std::size_t>& which) const
{
    return Joined(which, L";", [&](std::size_t i) { return patches_[i].packagePath; });
}

std::vector<NamedPatch> CarriedPatches::Named(const std::vector<std::size_t>& which) const
{
    std::vector<NamedPatch> named;
    for (const std::size_t i : which)
        named.push_back({patches_[i].facts.patchCode, Name(i)});
    return named;
}

}  // namespace apply
