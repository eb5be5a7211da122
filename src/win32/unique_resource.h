// One owner for every Win32 handle: non-copyable, movable, closed exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace pagorin::win32 {

template <typename Traits>
class UniqueResource {
  public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::invalid(); }

    Type release() { return std::exchange(value_, Traits::invalid()); }
    void reset(Type value = Traits::invalid()) {
        Type old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }

  private:
    Type value_ = Traits::invalid();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { ::CloseHandle(handle); }
};
using UniqueFile = UniqueResource<FileHandleTraits>;

struct HandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type handle) { ::CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<HandleTraits>;

struct FindTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type search) { ::FindClose(search); }
};
using UniqueFind = UniqueResource<FindTraits>;

template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type invalid() { return nullptr; }
    static void close(Type object) { ::DeleteObject(object); }
};
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;

struct IconTraits {
    using Type = HICON;
    static Type invalid() { return nullptr; }
    static void close(Type icon) { ::DestroyIcon(icon); }
};
using UniqueIcon = UniqueResource<IconTraits>;

struct MenuTraits {
    using Type = HMENU;
    static Type invalid() { return nullptr; }
    static void close(Type menu) { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueResource<MenuTraits>;

}  // namespace pagorin::win32
