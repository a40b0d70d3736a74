#include "embedded_resources.h"

#include <algorithm>

#include "platform/decimal.h"
#include "text/ascii_case.h"
#include "text/control_characters.h"
#include "text/split.h"

namespace package {
namespace {

std::vector<std::byte> EncodeUtf16(std::wstring_view text)
{
    std::vector<std::byte> bytes;
    bytes.reserve(text.size() * 2);
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<std::byte>(c & 0xFF));
        bytes.push_back(static_cast<std::byte>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::optional<std::wstring> DecodeUtf16(std::span<const std::byte> bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(std::to_integer<unsigned>(bytes[i]) |
                                            std::to_integer<unsigned>(bytes[i + 1]) << 8));
    return text;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, with any extension after them.
bool IsDeviceName(std::wstring_view name)
{
    const std::wstring_view stem = name.substr(0, name.find(L'.'));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (SameIgnoringAsciiCase(stem, device))
            return true;
    return stem.size() == 4 && (SameIgnoringAsciiCase(stem.substr(0, 3), L"COM") || SameIgnoringAsciiCase(stem.substr(0, 3), L"LPT")) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool IsBracedGuid(std::wstring_view code)
{
    if (code.size() != 38 || code.front() != L'{' || code.back() != L'}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const wchar_t c = code[i];
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        const bool hex = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
        if (dash ? c != L'-' : !hex)
            return false;
    }
    return true;
}

std::optional<ProductVersion> DecodeProductVersion(std::wstring_view line)
{
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring_view::npos || !IsBracedGuid(line.substr(0, blank)) ||
        !IsUsableVersion(line.substr(blank + 1)))
        return std::nullopt;
    return ProductVersion{std::wstring(line.substr(0, blank)), std::wstring(line.substr(blank + 1))};
}

}  // namespace

bool IsUsableVersion(std::wstring_view version)
{
    return !version.empty() && version.size() <= MaxVersionChars &&
           !HasControlCharacter(version);
}

std::vector<std::byte> EncodeUpToDateVersion(std::wstring_view version)
{
    return EncodeUtf16(version);
}

std::optional<std::wstring> DecodeUpToDateVersion(std::span<const std::byte> bytes)
{
    if (bytes.size() / 2 > MaxVersionChars)
        return std::nullopt;
    std::optional<std::wstring> version = DecodeUtf16(bytes);
    if (!version || !IsUsableVersion(*version))
        return std::nullopt;
    return version;
}

std::wstring SetPackageResourceName(std::size_t index)
{
    return L"IDR_MSP" + Decimal(index + 1);
}


bool IsUsablePackageFileName(std::wstring_view name)
{
    constexpr std::wstring_view forbidden = L"\\/:*?\"<>|";
    return !name.empty() && name.size() <= 255 && name != L"." && name != L".." && !HasControlCharacter(name) &&
           name.find_first_of(forbidden) == std::wstring_view::npos && name.back() != L'.' && name.back() != L' ' &&
           !IsDeviceName(name);
}

std::vector<std::byte> EncodePackageSet(const PackageSet& set)
{
    std::wstring text;
    for (const std::wstring& name : set.fileNames)
        text += name + L'\n';
    text += L'\n';
    for (const ProductVersion& product : set.versions)
        text += product.productCode + L' ' + product.version + L'\n';
    return EncodeUtf16(text);
}

std::optional<PackageSet> DecodePackageSet(std::span<const std::byte> bytes)
{
    const std::optional<std::wstring> text = DecodeUtf16(bytes);
    if (!text || text->empty() || text->back() != L'\n')
        return std::nullopt;
    PackageSet set;
    bool inVersions = false;
    for (const std::wstring_view line : Split(std::wstring_view(*text).substr(0, text->size() - 1), L'\n')) {
        if (!inVersions && line.empty()) {
            inVersions = true;
        } else if (!inVersions) {
            if (!IsUsablePackageFileName(line) ||
                std::ranges::any_of(set.fileNames, [&](const std::wstring& name) { return SameIgnoringAsciiCase(name, line); }))
                return std::nullopt;
            set.fileNames.emplace_back(line);
        } else {
            std::optional<ProductVersion> product = DecodeProductVersion(line);
            if (!product || std::ranges::any_of(set.versions, [&](const ProductVersion& known) {
                    return SameIgnoringAsciiCase(known.productCode, product->productCode);
                }))
                return std::nullopt;
            set.versions.push_back(std::move(*product));
        }
    }
    if (!inVersions || set.fileNames.size() < 2)
        return std::nullopt;
    return set;
}

std::optional<std::wstring> UpToDateVersionOf(const PackageSet& set, std::wstring_view productCode)
{
    for (const ProductVersion& product : set.versions)
        if (SameIgnoringAsciiCase(product.productCode, productCode))
            return product.version;
    return std::nullopt;
}

}  // namespace package
