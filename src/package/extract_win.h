#pragma once
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"

namespace package {

// The longest temporary directory a temporary package name is made in, terminator included.
constexpr std::size_t TemporaryDirectoryChars = 1024;

// The temporary folder in full, with its trailing separator: GetTempPath2W where this Windows
// has it, else GetTempPathW (platform::SecuredTemporaryDirectory).
std::optional<std::wstring> TemporaryDirectory();

// Writes the embedded "MSP" resource `resourceName` ("IDR_MSP", or a set's "IDR_MSP<n>") of
// `module`, byte for byte, in one write
// straight from the resource's memory; a resource that is no complete compound file is not
// written at all. A non-empty `packagePath` is created or truncated; an empty one gets a new
// "MSP<number>" file in the temporary directory, created exclusively so that nothing that
// appears under the name first is ever written into (when no such file can be created,
// `packagePath` stays empty).
//
// The written file is then closed, opened again read-only by its name and compared with the
// resource through a read-only mapping: a file that does not hold exactly the package, whatever
// changed it after the write, is a failed extraction, and so is a file under the name that is
// not the one written (another volume or file identifier), however alike its bytes. With `held`,
// that read-only handle is handed back open, and the file stays as checked until the caller
// closes it: the handle shares reading only (FILE_SHARE_READ), so no one, the caller
// included, can open the file to write, rename or delete it meanwhile.
//
// Why the installer still gets in: it reads a patch file as a database opened read-only
// (MsiOpenDatabase, MSIDBOPEN_READONLY: "no persistent changes"), and a compound file opened
// for reading in direct mode must deny writing or be exclusive (StgOpenStorageEx,
// STGM_SHARE_DENY_WRITE or STGM_SHARE_EXCLUSIVE). Deny-write reading is CreateFileW with
// GENERIC_READ and FILE_SHARE_READ, which a handle with read access and read sharing admits
// (it would refuse one of ours with write access, hence the write handle is closed first);
// Wine's installer opens it so (STGM_READ | STGM_SHARE_DENY_WRITE). An exclusive open would
// fail beside ours, but it would equally keep two installers from reading one package at
// once, as administrative installs from a shared folder do. The handle is opened on the name
// itself (FILE_FLAG_OPEN_REPARSE_POINT), and a link put in the package's place is not the file
// written, so what the name points to cannot be changed while it is held.
//
// On failure the last-error value is the error of the step that failed (the temporary
// folder refusing the file: 5; a full disk: 112; a resource that is no complete package, a
// file that differs from it or another file in its place: 13), set after every handle of the
// extraction is closed.
bool ExtractPatchPackage(HMODULE module, const std::wstring& resourceName, std::wstring& packagePath,
                         UniqueKernelHandle* held = nullptr);

// The "IDR_MSPVERSION" resource of `module`; no value when it is missing (last error 1813 or 1814) or
// is no usable version (last error 13).
std::optional<std::wstring> EmbeddedUpToDateVersion(HMODULE module);

// The bytes of the "IDR_MSPSET" resource of `module`; no value where it has none.
std::optional<std::vector<std::byte>> EmbeddedSetResource(HMODULE module);

// The folder `path` and every missing folder on the way; true when it is a folder now.
bool CreateFolders(const std::wstring& path);

// A new "MSP<number>" folder in the temporary folder, made where nothing stood (the names are
// tried as for a temporary package), with its trailing separator; no value with the last
// error of the last try.
std::optional<std::wstring> CreateTemporaryFolder();

}  // namespace package
