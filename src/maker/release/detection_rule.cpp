#include "detection_rule.h"

#include <algorithm>
#include <cwctype>

#include "maker/patch/patch_set.h"

namespace maker {

namespace {

constexpr std::wstring_view MachineSid = L"S-1-5-18";
constexpr std::wstring_view MachineHive = L"HKEY_LOCAL_MACHINE";

std::wstring PatchKey(std::wstring_view sid, std::wstring_view packedProduct, std::wstring_view packedPatch)
{
    return L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\" + std::wstring(sid) +
           L"\\Products\\" + std::wstring(packedProduct) + L"\\Patches\\" + std::wstring(packedPatch);
}

// Whether a transform of the patch moves this product, under its own code, to another version.
bool RaisesProductVersion(const std::wstring& productCode, const std::vector<TransformProducts>& products)
{
    return std::ranges::any_of(products, [&](const TransformProducts& p) {
        return p.targetProductCode == productCode && p.upgradedProductCode == productCode &&
               p.upgradedVersion != p.targetVersion;
    });
}

// A JSON string; everything outside printable ASCII as \u escapes of UTF-16 units.
void AppendJsonString(std::wstring& out, std::wstring_view text)
{
    constexpr wchar_t Hex[] = L"0123456789abcdef";
    const auto escapeUnit = [&](unsigned long unit) {
        out += L"\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += Hex[(unit >> shift) & 0xF];
    };
    out += L'"';
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (code >= 0x20 && code < 0x7F) {
            out += c;
        } else if (code > 0xFFFF) {  // a wide character beyond UTF-16's first plane
            escapeUnit(0xD800 + ((code - 0x10000) >> 10));
            escapeUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            escapeUnit(code);
        }
    }
    out += L'"';
}

void AppendName(std::wstring& out, std::wstring_view indent, std::wstring_view name)
{
    out.append(indent).append(L"\"").append(name).append(L"\": ");
}

// `"name": "text"` on a line of its own, after `indent`.
void AppendField(std::wstring& out, std::wstring_view indent, std::wstring_view name, std::wstring_view text, bool last = false)
{
    AppendName(out, indent, name);
    AppendJsonString(out, text);
    out += last ? L"\n" : L",\n";
}

// `"name": true` or `false`, on a line of its own.
void AppendFlag(std::wstring& out, std::wstring_view indent, std::wstring_view name, bool value, bool last = false)
{
    AppendName(out, indent, name);
    out += value ? L"true" : L"false";
    out += last ? L"\n" : L",\n";
}

// The registry value to look for, as an object named `name` at `indent`.
void AppendRegistry(std::wstring& out, std::wstring_view indent, std::wstring_view name, std::wstring_view key)
{
    const std::wstring inner = std::wstring(indent) + L"  ";
    out.append(indent).append(L"\"").append(name).append(L"\": {\n");
    AppendField(out, inner, L"hive", MachineHive);
    AppendField(out, inner, L"key", key);
    AppendField(out, inner, L"view", L"64-bit");
    AppendField(out, inner, L"value", L"State");
    AppendField(out, inner, L"type", L"REG_DWORD");
    out.append(inner).append(L"\"equals\": 1\n").append(indent).append(L"}");
}

// `"name": [` and each item, as `append(i)` writes it, up to `]` (without a comma after it).
template <class AppendItem>
void AppendArray(std::wstring& out, std::wstring_view indent, std::wstring_view name, std::size_t count, AppendItem append)
{
    AppendName(out, indent, name);
    out += L"[";
    for (std::size_t i = 0; i < count; ++i) {
        out += i ? L",\n" : L"\n";
        append(i);
    }
    if (count)
        out.append(L"\n").append(indent);
    out += L"]";
}

void AppendTarget(std::wstring& out, const TargetDetection& target, const std::wstring& version)
{
    out += L"    {\n";
    AppendField(out, L"      ", L"productCode", target.productCode);
    AppendRegistry(out, L"      ", L"perMachine", target.machineKey);
    out += L",\n";
    AppendRegistry(out, L"      ", L"perUser", target.userKey);
    if (target.versionRule) {
        out += L",\n";
        AppendField(out, L"      ", L"productVersionAtLeast", version, true);
    } else {
        out += L"\n";
    }
    out += L"    }";
}

void AppendSetPatch(std::wstring& out, const SetPatchDetection& patch)
{
    out += L"    {\n";
    AppendField(out, L"      ", L"fileName", patch.fileName);
    AppendField(out, L"      ", L"patchCode", patch.patchCode);
    AppendFlag(out, L"      ", L"removable", patch.removable, true);
    out += L"    }";
}

void AppendSetTarget(std::wstring& out, const SetTargetDetection& target, const SetDetectionRule& rule)
{
    out += L"    {\n";
    AppendField(out, L"      ", L"productCode", target.productCode);
    AppendArray(out, L"      ", L"patches", target.patches.size(), [&](std::size_t i) {
        const SetPatchKeys& keys = target.patches[i];
        out += L"        {\n";
        AppendField(out, L"          ", L"patchCode", rule.patches[keys.patch].patchCode);
        AppendRegistry(out, L"          ", L"perMachine", keys.machineKey);
        out += L",\n";
        AppendRegistry(out, L"          ", L"perUser", keys.userKey);
        out += L"\n        }";
    });
    if (!target.versionAtLeast.empty()) {
        out += L",\n";
        AppendField(out, L"      ", L"productVersionAtLeast", target.versionAtLeast, true);
    } else {
        out += L"\n";
    }
    out += L"    }";
}

// Whether a patch of the set that targets the product raises its ProductVersion.
bool SetRaisesProductVersion(const std::wstring& productCode, const std::vector<CheckedPatch>& patches)
{
    return std::ranges::any_of(patches, [&](const CheckedPatch& patch) {
        return Targets(patch, productCode) && RaisesProductVersion(productCode, patch.products);
    });
}

}  // namespace

std::optional<std::wstring> PackedGuid(std::wstring_view bracedGuid)
{
    if (bracedGuid.size() != BracedGuidLength || !StartsWithBracedGuid(bracedGuid))
        return std::nullopt;
    std::wstring digits;
    for (const wchar_t c : bracedGuid.substr(1, BracedGuidLength - 2))
        if (c != L'-')
            digits += static_cast<wchar_t>(std::towupper(c));
    std::wstring packed;
    for (const auto& [start, length] : {std::pair{0, 8}, std::pair{8, 4}, std::pair{12, 4}})
        packed.append(digits.rbegin() + (32 - start - length), digits.rbegin() + (32 - start));
    for (std::size_t i = 16; i < 32; i += 2) {
        packed += digits[i + 1];
        packed += digits[i];
    }
    return packed;
}

DetectionRule BuildDetectionRule(const std::wstring& patchCode, bool removable, const std::wstring& version,
                                 const std::vector<std::wstring>& targets,
                                 const std::vector<TransformProducts>& products)
{
    DetectionRule rule{patchCode, removable, version, {}};
    const std::optional<std::wstring> packedPatch = PackedGuid(patchCode);
    for (const std::wstring& code : targets) {
        const std::optional<std::wstring> packedProduct = PackedGuid(code);
        if (!packedPatch || !packedProduct)
            continue;
        rule.targets.push_back({code, PatchKey(MachineSid, *packedProduct, *packedPatch),
                                PatchKey(UserSidPlaceholder, *packedProduct, *packedPatch),
                                RaisesProductVersion(code, products)});
    }
    return rule;
}

std::wstring DetectionJson(const DetectionRule& rule)
{
    std::wstring out = L"{\n";
    AppendField(out, L"  ", L"patchCode", rule.patchCode);
    AppendFlag(out, L"  ", L"removable", rule.removable);
    AppendField(out, L"  ", L"upToDateVersion", rule.version);
    AppendField(out, L"  ", L"userSidPlaceholder", UserSidPlaceholder);
    out += L"  \"targets\": [";
    for (std::size_t i = 0; i < rule.targets.size(); ++i) {
        out += i ? L",\n" : L"\n";
        AppendTarget(out, rule.targets[i], rule.version);
    }
    out += rule.targets.empty() ? L"]\n}\n" : L"\n  ]\n}\n";
    return out;
}

std::vector<std::wstring> DetectionLines(const DetectionRule& rule, const std::wstring& jsonPath)
{
    std::vector<std::wstring> lines{
        L"Detection rule (also in " + jsonPath + L"): the patch is applied to a target product when",
        L"  the registry, in its 64-bit view, holds the DWORD value State = 1 in its key",
        L"  (per machine; for a product installed per user, " + std::wstring(UserSidPlaceholder) +
            L" is that user's SID):"};
    const std::wstring hive = std::wstring(MachineHive) + L"\\";
    for (const TargetDetection& target : rule.targets) {
        lines.push_back(L"  " + target.productCode + L":");
        lines.push_back(L"    per machine: " + hive + target.machineKey);
        lines.push_back(L"    per user:    " + hive + target.userKey);
        if (target.versionRule)
            lines.push_back(L"    or: the product " + target.productCode + L" at version " + rule.version +
                            L" or later");
    }
    lines.push_back(std::wstring(L"Removable by the wrapper's /uninstall: ") + (rule.removable ? L"yes" : L"no"));
    return lines;
}

SetDetectionRule BuildSetDetectionRule(const std::vector<CheckedPatch>& patches, const std::vector<std::wstring>& fileNames,
                                       const std::vector<bool>& removable, const std::vector<ProductUpToDate>& products)
{
    SetDetectionRule rule;
    for (std::size_t i = 0; i < patches.size(); ++i)
        rule.patches.push_back({fileNames[i], patches[i].patchCode, removable[i]});
    for (const ProductUpToDate& product : products) {
        const std::optional<std::wstring> packedProduct = PackedGuid(product.productCode);
        if (!packedProduct)
            continue;
        SetTargetDetection target{product.productCode, {}, {}};
        for (std::size_t i = 0; i < patches.size(); ++i)
            if (const std::optional<std::wstring> packedPatch = PackedGuid(patches[i].patchCode);
                packedPatch && Targets(patches[i], product.productCode))
                target.patches.push_back({i, PatchKey(MachineSid, *packedProduct, *packedPatch),
                                          PatchKey(UserSidPlaceholder, *packedProduct, *packedPatch)});
        if (SetRaisesProductVersion(product.productCode, patches))
            target.versionAtLeast = product.version;
        rule.targets.push_back(std::move(target));
    }
    return rule;
}

std::vector<std::wstring> SetDetectionLines(const SetDetectionRule& rule, const std::wstring& jsonPath)
{
    std::vector<std::wstring> lines{
        L"Detection rule (also in " + jsonPath + L"): the set is applied to an installed target product when",
        L"  every patch of the set that targets the product is registered there: the registry, in its 64-bit",
        L"  view, holds the DWORD value State = 1 in each of the keys below (per machine; for a product",
        L"  installed per user, " + std::wstring(UserSidPlaceholder) + L" is that user's SID); or when the product has reached the version given:"};
    const std::wstring hive = std::wstring(MachineHive) + L"\\";
    for (const SetTargetDetection& target : rule.targets) {
        lines.push_back(L"  " + target.productCode + L":");
        for (const SetPatchKeys& keys : target.patches) {
            const SetPatchDetection& patch = rule.patches[keys.patch];
            lines.push_back(L"    " + patch.fileName + L" (" + patch.patchCode + L"):");
            lines.push_back(L"      per machine: " + hive + keys.machineKey);
            lines.push_back(L"      per user:    " + hive + keys.userKey);
        }
        if (!target.versionAtLeast.empty())
            lines.push_back(L"    or: the product " + target.productCode + L" at version " + target.versionAtLeast +
                            L" or later");
    }
    std::wstring removable = L"Removable by the wrapper's /uninstall:";
    for (const SetPatchDetection& patch : rule.patches)
        removable += L" " + patch.fileName + (patch.removable ? L" yes;" : L" no;");
    removable.pop_back();
    lines.push_back(removable);
    return lines;
}

std::wstring SetDetectionJson(const SetDetectionRule& rule)
{
    std::wstring out = L"{\n";
    AppendArray(out, L"  ", L"patches", rule.patches.size(), [&](std::size_t i) { AppendSetPatch(out, rule.patches[i]); });
    out += L",\n";
    AppendField(out, L"  ", L"userSidPlaceholder", UserSidPlaceholder);
    AppendArray(out, L"  ", L"targets", rule.targets.size(),
                [&](std::size_t i) { AppendSetTarget(out, rule.targets[i], rule); });
    out += L"\n}\n";
    return out;
}

}  // namespace maker
