#pragma once
// The detection rule a deployment engine needs to tell that the patch is applied: the exit
// code of one run says nothing about a machine later on. The installer registers an applied
// patch under the product's key in its UserData, per machine (S-1-5-18) or per user (the
// user's SID), as a DWORD "State" of 1; the rule names those keys for every target product,
// and the product version where the patch raises it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maker/patch/checked_patch.h"
#include "maker/patch/patch_transforms.h"
#include "maker/patch/up_to_date_version.h"

namespace maker {

// Stands for the SID of the user a product is installed for, in per-user keys.
constexpr std::wstring_view UserSidPlaceholder = L"<UserSID>";

// The installer's packed form of a braced GUID: the first three groups' hex digits reversed,
// each of the last eight bytes with its two digits swapped; no braces or dashes, upper case.
// No value for a text that is no braced GUID.
std::optional<std::wstring> PackedGuid(std::wstring_view bracedGuid);

struct TargetDetection {
    std::wstring productCode;
    std::wstring machineKey;  // under HKEY_LOCAL_MACHINE, in the registry's 64-bit view
    std::wstring userKey;     // the same with UserSidPlaceholder for S-1-5-18
    bool versionRule = false; // the patch raises this product's ProductVersion to the rule's version
};

struct DetectionRule {
    std::wstring patchCode;
    bool removable = false;  // the wrapper's /uninstall can take the patch off again
    std::wstring version;
    std::vector<TargetDetection> targets;  // product codes that are no GUID get none
};

DetectionRule BuildDetectionRule(const std::wstring& patchCode, bool removable, const std::wstring& version,
                                 const std::vector<std::wstring>& targets,
                                 const std::vector<TransformProducts>& products);

// The rule as a JSON document; every character is ASCII (others are escaped).
std::wstring DetectionJson(const DetectionRule& rule);

// The rule in words, for the maker's output, and whether the patch is removable; `jsonPath` is
// where the document was written.
std::vector<std::wstring> DetectionLines(const DetectionRule& rule, const std::wstring& jsonPath);

// A set is applied to an installed target product when every patch of the set that targets it
// is registered for it, or when the product has reached its up-to-date version.
struct SetPatchDetection {
    std::wstring fileName;
    std::wstring patchCode;
    bool removable = false;
};

struct SetPatchKeys {
    std::size_t patch = 0;  // which of the set's patches
    std::wstring machineKey;
    std::wstring userKey;
};

struct SetTargetDetection {
    std::wstring productCode;
    std::vector<SetPatchKeys> patches;  // each patch of the set that targets the product
    std::wstring versionAtLeast;        // empty unless a patch of the set raises its ProductVersion
};

struct SetDetectionRule {
    std::vector<SetPatchDetection> patches;
    std::vector<SetTargetDetection> targets;  // product codes that are no GUID get none
};

// `patches` and `fileNames`, `removable` in the set's order; `products` as the versions were decided.
SetDetectionRule BuildSetDetectionRule(const std::vector<CheckedPatch>& patches, const std::vector<std::wstring>& fileNames,
                                       const std::vector<bool>& removable, const std::vector<ProductUpToDate>& products);

std::wstring SetDetectionJson(const SetDetectionRule& rule);

std::vector<std::wstring> SetDetectionLines(const SetDetectionRule& rule, const std::wstring& jsonPath);

}  // namespace maker
