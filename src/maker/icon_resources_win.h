#pragma once
// The resource edits that give a wrapper another icon: the stub's "IDR_MAINFRAME" group is
// replaced by one naming the new images, and the stub's images that the new group does not
// reuse are deleted, so the wrapper carries no icon nobody can see.
#include <cstddef>
#include <string>
#include <vector>

#include "icon_file.h"
#include "wrapper_writer_win.h"

namespace maker {

class IconEdits {
public:
    // Reads the stub's icon group and images; `images` must outlive this object.
    IconEdits(const std::wstring& stub, const std::vector<IconImage>& images);
    IconEdits(const IconEdits&) = delete;
    IconEdits& operator=(const IconEdits&) = delete;

    const std::vector<ResourceEdit>& edits() const { return edits_; }

private:
    std::vector<std::byte> group_;
    std::vector<ResourceEdit> edits_;
};

}  // namespace maker
