#pragma once
// The property command line with which a product is configured with the patch.
#include <string>

namespace apply {

// PATCH="<package>" [LOCALEID=<id> ]REBOOTPROMPT=SUPPRESS [REBOOT=ReallySuppress ]FILESINUSETEXT="<text>";
// the locale id goes on only when it has two or more characters, REBOOT only with
// `suppressRestart` ("/norestart"). Values are quoted the installer's way, so no value read
// from a product can add or end a property.
//
// REBOOTPROMPT=SUPPRESS only takes the question away: a restart the installer needs then
// happens without one. REBOOT=ReallySuppress keeps the installer from restarting at all; a
// product that needs a restart answers 3010 instead, for the deployment engine to act on.
std::wstring BuildCommandLine(const std::wstring& packagePath, const std::wstring& localeId,
                              const std::wstring& filesInUseText, bool suppressRestart);

// The same without PATCH, for several patches applied in one call, where the installer sets
// PATCH (and REINSTALL) itself: [LOCALEID=<id> ]REBOOTPROMPT=SUPPRESS [REBOOT=ReallySuppress ]FILESINUSETEXT="<text>".
std::wstring BuildPatchProperties(const std::wstring& localeId, const std::wstring& filesInUseText,
                                  bool suppressRestart);

// The same properties for taking the patch back, without the package and the files-in-use
// text: [LOCALEID=<id> ]REBOOTPROMPT=SUPPRESS[ REBOOT=ReallySuppress].
std::wstring BuildRemovalProperties(const std::wstring& localeId, bool suppressRestart);

}  // namespace apply
