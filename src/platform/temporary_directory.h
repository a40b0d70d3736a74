#pragma once
// Which system call names the temporary folder, and the buffer handling around it. Portable,
// so that host tests see both choices; the Windows side only supplies the calls
// (package/extract_win.cpp).
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The folder, with its trailing separator, from a call shaped like GetTempPathW:
// `call(capacity, buffer)` returns the length it wrote (terminator not counted), the capacity
// it needs (terminator counted) when `capacity` is too small, or 0 when it fails. The buffer
// grows once; no value when the call fails or the folder changed size between the two calls.
template <class Call>
std::optional<std::wstring> ReadTemporaryDirectory(Call call)
{
    std::wstring buffer(261, L'\0');  // MAX_PATH + 1, as GetTempPath2W's documentation asks
    std::uint32_t length = call(static_cast<std::uint32_t>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        buffer.resize(length);
        length = call(static_cast<std::uint32_t>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size())
        return std::nullopt;
    buffer.resize(length);
    return buffer;
}

// GetTempPath2W where this Windows has it (`secured` is not null), else GetTempPathW
// (`classic`). Run as SYSTEM, GetTempPathW names C:\Windows\Temp, where every user may create
// files, so a file or link planted under the name of a log would receive SYSTEM's writes;
// GetTempPath2W names C:\Windows\SystemTemp there, which only SYSTEM and administrators can
// use. For every other account both give the same folder. No fallback to GetTempPathW when
// GetTempPath2W exists but fails: its failure is the answer.
template <class Secured, class Classic>
std::optional<std::wstring> SecuredTemporaryDirectory(Secured secured, Classic classic)
{
    if (secured)
        return ReadTemporaryDirectory(secured);
    return ReadTemporaryDirectory(classic);
}

}  // namespace platform
