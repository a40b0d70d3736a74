#include "product_queries.h"

#include <vector>

#include "installer/scoped_ui_level.h"

namespace apply {

namespace {

// One buffer per query; each read starts it empty, so a read that writes nothing yields "".
class ValueBuffer {
public:
    template <typename Read>
    std::wstring Take(Read read)
    {
        buffer_[0] = L'\0';
        std::uint32_t length = ProductValueChars;
        read(buffer_.data(), length);
        buffer_.back() = L'\0';
        return buffer_.data();
    }

private:
    std::vector<wchar_t> buffer_ = std::vector<wchar_t>(ProductValueChars);
};

// "State", "Uninstallable": one digit and a terminator, with room to spare.
constexpr std::uint32_t FlagChars = 16;

}  // namespace

bool ProductQueries::IsProductInstalled(const std::wstring& productCode) const
{
    const int state = installer.QueryProductState(productCode);
    return state == msi::StateAdvertised || state == msi::StateInstalled;
}

std::wstring ProductQueries::QueryProductVersion(const std::wstring& productCode) const
{
    ValueBuffer buffer;
    return buffer.Take([&](wchar_t* data, std::uint32_t& length) {
        installer.GetProductInfo(productCode, L"VersionString", data, length);
    });
}

void ProductQueries::QueryProductIdentity(const std::wstring& productCode, std::wstring& productName,
                                          std::wstring& language, std::wstring& localeId) const
{
    ValueBuffer buffer;
    auto attribute = [&](const wchar_t* name) {
        return buffer.Take([&](wchar_t* data, std::uint32_t& length) {
            installer.GetProductInfo(productCode, name, data, length);
        });
    };
    productName = attribute(L"ProductName");
    language = attribute(L"Language");

    const msi::ScopedUiLevel silent(installer, msi::UiLevelNone);
    msi::Handle product = 0;
    if (installer.OpenProduct(productCode, product) != msi::Success)
        return;
    localeId = buffer.Take([&](wchar_t* data, std::uint32_t& length) {
        installer.GetProductProperty(product, L"LOCALEID", data, length);
    });
    installer.CloseHandle(product);
}

std::uint32_t ProductQueries::QueryProductContext(const std::wstring& productCode) const
{
    // INSTALLPROPERTY_PRODUCTSTATE: "5" installed, "1" advertised.
    for (const std::uint32_t context : {msi::ContextMachine, msi::ContextUserUnmanaged, msi::ContextUserManaged}) {
        wchar_t state[FlagChars] = {};
        std::uint32_t length = FlagChars;
        if (installer.GetProductInfoEx(productCode, context, L"State", state, length) == msi::Success)
            return context;
    }
    return msi::ContextMachine;
}

bool ProductQueries::IsPatchRegistered(const std::wstring& patchCode, const std::wstring& productCode,
                                       std::uint32_t context) const
{
    wchar_t state[FlagChars] = {};
    std::uint32_t length = FlagChars;
    return installer.GetPatchInfoEx(patchCode, productCode, context, L"State", state, length) == msi::Success;
}

bool ProductQueries::IsPatchRemovable(const std::wstring& patchCode, const std::wstring& productCode,
                                      std::uint32_t context) const
{
    wchar_t removable[FlagChars] = {};
    std::uint32_t length = FlagChars;
    return installer.GetPatchInfoEx(patchCode, productCode, context, L"Uninstallable", removable, length) ==
               msi::Success &&
           std::wstring_view(removable) == L"1";
}

}  // namespace apply
