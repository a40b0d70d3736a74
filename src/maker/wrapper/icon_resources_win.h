#pragma once
// The resource edits that give a wrapper another icon: the stub's "IDR_MAINFRAME" group is
// replaced by one naming the new images, and the stub's images that the new group does not
// reuse are left out, so the wrapper carries no icon nobody can see. The edits rebuild the
// copy's resources from nothing (BeginUpdateResourceW deleting the existing ones) and carry
// every other resource of the stub over: deleting a resource the file already has, by
// UpdateResourceW without data, is lost under Wine, whose writer reads the file's own
// resources back in afterwards.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "platform/unique_handle_win.h"

#include "icon_file.h"
#include "wrapper_writer_win.h"

namespace maker {

class IconEdits {
public:
    // Reads the stub's resources, which stay loaded while this object lives; `images` must
    // outlive it too. The edits are to be applied to a copy whose resources were deleted.
    IconEdits(const std::wstring& stub, const std::vector<IconImage>& images);
    IconEdits(const IconEdits&) = delete;
    IconEdits& operator=(const IconEdits&) = delete;

    const std::vector<ResourceEdit>& edits() const { return edits_; }

private:
    void CarryOver(const wchar_t* type, const wchar_t* name, const std::vector<std::uint16_t>& leftOut);

    UniqueModule module_;
    std::list<std::wstring> names_;  // string types and names, which the edits point into
    std::vector<std::byte> group_;
    std::vector<ResourceEdit> edits_;
};

}  // namespace maker
