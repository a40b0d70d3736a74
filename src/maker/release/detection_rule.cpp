#include "detection_rule.h"

#include <algorithm>
#include <cwctype>

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

// `"name": true` or `false`, followed by more fields.
void AppendFlag(std::wstring& out, std::wstring_view indent, std::wstring_view name, bool value)
{
    AppendName(out, indent, name);
    out += value ? L"true,\n" : L"false,\n";
}

void AppendRegistry(std::wstring& out, std::wstring_view name, std::wstring_view key)
{
    out.append(L"      \"").append(name).append(L"\": {\n");
    AppendField(out, L"        ", L"hive", MachineHive);
    AppendField(out, L"        ", L"key", key);
    AppendField(out, L"        ", L"view", L"64-bit");
    AppendField(out, L"        ", L"value", L"State");
    AppendField(out, L"        ", L"type", L"REG_DWORD");
    out += L"        \"equals\": 1\n      }";
}

void AppendTarget(std::wstring& out, const TargetDetection& target, const std::wstring& version)
{
    out += L"    {\n";
    AppendField(out, L"      ", L"productCode", target.productCode);
    AppendRegistry(out, L"perMachine", target.machineKey);
    out += L",\n";
    AppendRegistry(out, L"perUser", target.userKey);
    if (target.versionRule) {
        out += L",\n";
        AppendField(out, L"      ", L"productVersionAtLeast", version, true);
    } else {
        out += L"\n";
    }
    out += L"    }";
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

}  // namespace maker
