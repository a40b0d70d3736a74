#pragma once
// The patches a run works with: each package the wrapper carries, extracted to the temporary
// folder and held there, with what it says of itself. A wrapper made from one patch carries
// one; a vendor's set, several. Both modes that change products go through them alike.
#include <memory>
#include <string>
#include <vector>

#include "package/embedded_packages.h"
#include "package_facts.h"
#include "registration_check.h"
#include "run_context.h"

namespace apply {

struct CarriedPatch {
    std::wstring resourceName;
    std::wstring fileName;     // a set's name for it; empty for a wrapper's only patch
    std::wstring packagePath;  // the held copy, until LetGo deletes it
    PackageFacts facts;
};

class CarriedPatches {
public:
    explicit CarriedPatches(const RunContext& run) : run_(run) {}
    ~CarriedPatches() { LetGo(); }
    CarriedPatches(const CarriedPatches&) = delete;
    CarriedPatches& operator=(const CarriedPatches&) = delete;

    // Extracts and holds each package in turn; false at the first that fails, which the run
    // log names and which stays where a failed extraction leaves it. Nothing has reached the
    // installer by then.
    bool Extract(const package::EmbeddedPackages& embedded);
    // Reads each package's patch code and targets; false at the first that cannot be read.
    bool ReadFacts();
    // Lets go of every held copy, then deletes each: a held file cannot be deleted, not even
    // by its holder. What the packages said stays known.
    void LetGo();

    const CarriedPatch& operator[](std::size_t index) const { return patches_[index]; }
    // The targets of all patches in the order of first appearance, each once.
    std::vector<std::wstring> Targets() const;
    // The patches whose target list holds `productCode`, in the set's order.
    std::vector<std::size_t> Targeting(const std::wstring& productCode) const;
    // "the patch" for a wrapper's only one, else the file names, ", "-separated.
    std::wstring Names(const std::vector<std::size_t>& which) const;
    std::wstring Name(std::size_t which) const { return Names({which}); }
    // The patch codes (or the package paths) of `which`, ';'-separated, as the installer
    // takes several.
    std::wstring PatchCodeList(const std::vector<std::size_t>& which) const;
    std::wstring PackagePathList(const std::vector<std::size_t>& which) const;
    std::vector<NamedPatch> Named(const std::vector<std::size_t>& which) const;

private:
    const RunContext& run_;
    std::vector<CarriedPatch> patches_;
    std::vector<std::unique_ptr<HeldFile>> held_;
    bool letGo_ = false;  // each copy is deleted once, whoever asks first
};

}  // namespace apply
