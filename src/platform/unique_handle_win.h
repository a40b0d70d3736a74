#pragma once
// One owner for every kind of Windows handle: the traits say what an empty handle looks like
// and how to close one, so `if (owner)` means "open" for every kind, INVALID_HANDLE_VALUE
// included.
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(Traits::Valid(handle) ? handle : Traits::Empty) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Empty)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Traits::Empty);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty; }

    void Reset()
    {
        if (handle_ != Traits::Empty)
            Traits::Close(std::exchange(handle_, Traits::Empty));
    }

private:
    Type handle_ = Traits::Empty;
};

// CreateFileW and CreateFileMappingW answer failure differently (INVALID_HANDLE_VALUE and
// null); both end up empty.
struct KernelHandleTraits {
    using Type = HANDLE;
    static inline const HANDLE Empty = nullptr;
    static bool Valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct MappedViewTraits {
    using Type = const void*;
    static constexpr const void* Empty = nullptr;
    static bool Valid(const void* view) { return view != nullptr; }
    static void Close(const void* view) { ::UnmapViewOfFile(view); }
};
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
