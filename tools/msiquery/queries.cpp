#include "queries.h"

#include <wtypes.h>
#include <msi.h>
#include <msiquery.h>

#include "installer_string.h"

Answer ProductState(const std::wstring& product)
{
    return {ERROR_SUCCESS, std::to_wstring(MsiQueryProductStateW(product.c_str()))};
}

Answer ProductInfo(const std::wstring& product, const std::wstring& attribute)
{
    return ReadInstallerString(
        [&](wchar_t* buffer, DWORD* length) {
            return MsiGetProductInfoW(product.c_str(), attribute.c_str(), buffer, length);
        },
        L"MsiGetProductInfoW " + attribute);
}

Answer PatchState(const std::wstring& patch, const std::wstring& product, MSIINSTALLCONTEXT context)
{
    return ReadInstallerString(
        [&](wchar_t* buffer, DWORD* length) {
            return MsiGetPatchInfoExW(patch.c_str(), product.c_str(), nullptr, context,
                                      INSTALLPROPERTY_PATCHSTATE, buffer, length);
        },
        L"MsiGetPatchInfoExW State");
}

Answer ProductProperty(const std::wstring& product, const std::wstring& property)
{
    // Opening a product may show the installer's UI (source prompts); a test run has no one
    // to answer it.
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    PMSIHANDLE opened;
    if (const UINT result = MsiOpenProductW(product.c_str(), &opened); result != ERROR_SUCCESS)
        return {result, L"MsiOpenProductW"};
    return ReadInstallerString(
        [&](wchar_t* buffer, DWORD* length) {
            return MsiGetProductPropertyW(opened, property.c_str(), buffer, length);
        },
        L"MsiGetProductPropertyW " + property);
}

Answer SummaryProperty(const std::wstring& path, UINT property)
{
    PMSIHANDLE summary;
    if (const UINT result = MsiGetSummaryInformationW(0, path.c_str(), 0, &summary); result != ERROR_SUCCESS)
        return {result, L"MsiGetSummaryInformationW"};
    UINT type = VT_EMPTY;
    INT number = 0;
    FILETIME time{};
    Answer text = ReadInstallerString(
        [&](wchar_t* buffer, DWORD* length) {
            return MsiSummaryInfoGetPropertyW(summary, property, &type, &number, &time, buffer, length);
        },
        L"MsiSummaryInfoGetPropertyW");
    if (!text.Found() || type == VT_LPSTR)
        return text;
    if (type == VT_I2 || type == VT_I4)
        return {ERROR_SUCCESS, std::to_wstring(number)};
    return {ERROR_NOT_FOUND, L"summary property " + std::to_wstring(property) + L" (type " +
                                 std::to_wstring(type) + L")"};
}
