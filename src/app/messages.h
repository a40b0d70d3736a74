#pragma once
// The messages the wrapper reports, and how a string-table text is filled with their values.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace message {

constexpr std::uint32_t InstallationError = 300;      // text 300: the word, the error code
constexpr std::uint32_t ProgramsRunning = 302;        // installer result 1625
constexpr std::uint32_t NothingToPatch = 303;         // installed targets, none needs the patch
constexpr std::uint32_t AlreadyUpToDate = 306;
constexpr std::uint32_t NoTargetInstalled = 307;
constexpr std::uint32_t PatchDoesNotFit = 308;
constexpr std::uint32_t AllPatched = 316;             // text 301
constexpr std::uint32_t AllRemoved = 321;             // the patch taken back from every product
constexpr std::uint32_t NothingToRemove = 322;        // no target product has the patch
constexpr std::uint32_t CannotBeRemoved = 323;        // a product's registration is not removable
constexpr std::uint32_t RemovalError = 324;           // the word, the error code
constexpr std::uint32_t Usage = 330;                  // "/?"

constexpr std::uint32_t SuccessText = 301;
constexpr std::uint32_t ErrorCaption = 311;
constexpr std::uint32_t SuccessCaption = 312;
constexpr std::uint32_t UnnecessaryCaption = 313;
constexpr std::uint32_t FilesInUseText = 320;
constexpr std::uint32_t RemovedCaption = 325;
constexpr std::uint32_t RemovalUnnecessaryCaption = 326;
constexpr std::uint32_t RemovalErrorCaption = 327;
constexpr std::uint32_t UsageCaption = 331;

constexpr std::uint32_t StyleError = 0x50010;        // MB_OK|MB_ICONERROR|MB_SETFOREGROUND|MB_TOPMOST
constexpr std::uint32_t StyleInformation = 0x50040;  // the same with MB_ICONINFORMATION

// The one text value besides the product name; the same in every language.
inline constexpr std::wstring_view Word = L"service pack";

enum class Value { Word, ProductName };

struct Entry {
    std::uint32_t textId;
    std::vector<Value> values;  // for the text's "%s", in order
    std::uint32_t captionId;
    std::uint32_t style;
    // Asked for by the person who started the run, so shown under the quiet options too.
    bool requested = false;
    // The usage lists every option in the longer languages: more than the 511 characters
    // that every other text keeps to.
    std::size_t textChars = 512;
};

std::optional<Entry> Find(std::uint32_t messageId);

// Replaces each "%s" with the next value (nothing once they are used up) and each "%d" with
// the error code in signed decimal; values go in verbatim. The result keeps at most
// `capacity` - 1 characters, as a buffer of `capacity` with its terminator would.
std::wstring Fill(std::wstring_view text, const std::vector<std::wstring_view>& values,
                  std::int32_t errorCode, std::size_t capacity);

}  // namespace message
