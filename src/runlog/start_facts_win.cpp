#include "start_facts_win.h"

#include <windows.h>

#include "platform/path_names_win.h"

#include <iterator>
#include <span>
#include <vector>

#include "platform/system_library_win.h"
#include "platform/unique_handle_win.h"
#include "version_resource.h"

namespace runlog {

namespace {

// GetModuleFileNameW fills the whole buffer and cuts the path when it is too small; the
// buffer grows until the path fits.
std::wstring ModulePath()
{
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<wchar_t> buffer(size);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length < size || size >= LongestPath)
            return std::wstring(buffer.data(), length < size ? length : 0);
    }
}

std::wstring OwnVersion()
{
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return std::wstring();
    const std::span block(static_cast<const std::byte*>(bytes), SizeofResource(nullptr, resource));
    return FileVersionOf(block).value_or(std::wstring());
}

struct UserSid {
    std::vector<BYTE> buffer;
    PSID Sid() const { return reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid; }
};

std::optional<UserSid> ProcessUser(const SystemLibrary& advapi32)
{
    const auto openToken = advapi32.Bind<decltype(&::OpenProcessToken)>("OpenProcessToken");
    const auto tokenInformation = advapi32.Bind<decltype(&::GetTokenInformation)>("GetTokenInformation");
    HANDLE rawToken = nullptr;
    if (!openToken || !tokenInformation || !openToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return std::nullopt;
    const UniqueKernelHandle token(rawToken);
    DWORD size = 0;
    tokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    UserSid user{std::vector<BYTE>(size)};
    if (size == 0 || !tokenInformation(token.get(), TokenUser, user.buffer.data(), size, &size))
        return std::nullopt;
    return user;
}

// "DOMAIN\user", with " (SYSTEM)" for S-1-5-18, the account services and deployment agents
// run the wrapper as; "unknown" when Windows does not say.
std::wstring Account()
{
    const SystemLibrary advapi32(L"advapi32.dll");
    const auto lookup = advapi32.Bind<decltype(&::LookupAccountSidW)>("LookupAccountSidW");
    const auto isWellKnown = advapi32.Bind<decltype(&::IsWellKnownSid)>("IsWellKnownSid");
    const std::optional<UserSid> user = ProcessUser(advapi32);
    if (!user || !lookup || !isWellKnown)
        return L"unknown";
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    DWORD domainLength = static_cast<DWORD>(std::size(domain));
    SID_NAME_USE use;
    const bool named = lookup(nullptr, user->Sid(), name, &nameLength, domain, &domainLength, &use);
    std::wstring account = named ? std::wstring(domain) + L"\\" + name : L"unknown";
    if (isWellKnown(user->Sid(), WinLocalSystemSid))
        account += L" (SYSTEM)";
    return account;
}

}  // namespace

StartFacts GatherStartFacts(bool windowsVisible, const std::optional<std::wstring>& temporaryFolder)
{
    return {ModulePath(),
            OwnVersion(),
            sizeof(void*) == 8 ? L"x86_64" : L"i686",
            GetCommandLineW(),
            Account(),
            windowsVisible,
            temporaryFolder};
}

}  // namespace runlog
