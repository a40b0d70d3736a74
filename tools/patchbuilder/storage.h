#pragma once
// The compound-file side of a patch package: its class, its transform sub-storages and any
// filler.
#include <cstddef>
#include <string>
#include <vector>

#include "outcome.h"
#include "transform.h"

struct TransformStorage {
    std::wstring name;  // the sub-storage's name; the summary lists it as ":name"
    std::vector<NamedStream> streams;
};

// Opens the compound file at `path` for changes, gives it the patch-package class (which the
// installer checks before it treats a file as a patch), adds each transform as a sub-storage
// with the transform class, and commits.
Outcome AddTransformStorages(const std::wstring& path, const std::vector<TransformStorage>& transforms);

// Adds to the compound file at `path` a stream of `bytes` filler bytes, which stands in for the
// payload cabinet a real patch carries.
Outcome AddFillerStream(const std::wstring& path, std::size_t bytes);
