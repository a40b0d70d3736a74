#pragma once
// The two header fixes of a made wrapper, on the file itself: the stub's certificate table
// goes before the resources are written, and the checksum is computed once they are.
#include <windows.h>

#include <string>

namespace maker {

// Clears the certificate table entry and cuts the table off the end of the file. 0 when done
// (also when there was none), else the error.
DWORD RemoveCertificateTable(const std::wstring& path);

// Writes the image checksum as CheckSumMappedFile (imagehlp.dll) computes it; 0 when done.
DWORD WriteImageChecksum(const std::wstring& path);

}  // namespace maker
