#pragma once
// The header fixes of a made wrapper, on the file itself: the stub's certificate table goes
// before the resources are written, time stamps and the checksum are set once they are.
#include <windows.h>

#include <string>

namespace maker {

// Clears the certificate table entry and cuts the table off the end of the file. 0 when done
// (also when there was none), else the error.
DWORD RemoveCertificateTable(const std::wstring& path);

// Clears the link time and the resource directory's time, so the same inputs give the same
// bytes whatever the resource writer stamps, then writes the image checksum as
// CheckSumMappedFile (imagehlp.dll) computes it. 0 when done, else the error.
DWORD FinishImage(const std::wstring& path);

}  // namespace maker
