#pragma once
// The maker's exit codes, one per kind of refusal, so that a build script can tell a typo on
// its command line from a package that is no patch. The usage text lists them.

namespace maker {

enum ExitCode : int {
    Made = 0,
    UsageError = 2,
    InputUnreadable = 3,
    NotAPatchPackage = 4,
    VersionNeeded = 5,
    OutputNotWritten = 6,
    TooLargeForThisMaker = 7,
    NotAnIcon = 8,
    NotOneSet = 9,  // packages that cannot go into one wrapper together
};

}  // namespace maker
