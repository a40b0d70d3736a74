#pragma once
// The compound-file side of a patch package: its class and its transform sub-storages.
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
