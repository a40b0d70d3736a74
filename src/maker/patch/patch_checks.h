#pragma once
// Whether a package is a patch the wrapper can apply, decided before anything is written, so
// that a package the wrapper would refuse on users' machines is refused at build time.
#include <string>
#include <string_view>
#include <vector>

namespace maker {

// Root storage classes of the Windows Installer's compound files.
constexpr std::wstring_view PatchClass = L"{000C1086-0000-0000-C000-000000000046}";
constexpr std::wstring_view DatabaseClass = L"{000C1084-0000-0000-C000-000000000046}";
constexpr std::wstring_view TransformClass = L"{000C1082-0000-0000-C000-000000000046}";

// Empty when the root storage class is a patch's; otherwise what the file is instead.
std::wstring WhyNotAPatchClass(std::wstring_view rootClass);

// Empty when summary property 7 (`targets`) names products and property 9 (`revision`)
// begins with the patch code; otherwise what is wrong.
std::wstring WhyNotAPatchSummary(std::wstring_view targets, std::wstring_view revision);

// The product codes of property 7 up to the first empty entry, as the wrapper reads them.
std::vector<std::wstring> TargetProductCodes(std::wstring_view targets);

}  // namespace maker
