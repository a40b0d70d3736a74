#pragma once
// A patch package is an OLE compound file. The installer's readers are not all hardened
// against damaged ones (a truncated package has crashed the installer inside the caller's
// process), so the wrapper hands over only a package whose structure is all there.
#include <cstddef>
#include <span>

namespace package {

// True when `bytes` is a compound file whose header, allocation tables, directory and every
// stream's sectors lie within it, each stream with as many sectors on its chain as its size
// needs (a small stream's in the mini stream).
bool IsCompleteCompoundFile(std::span<const std::byte> bytes);

}  // namespace package
