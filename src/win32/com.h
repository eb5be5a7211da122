// COM's owners: the apartment of the calling thread, and an object released exactly
// once, never copied.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

namespace pagorin::win32 {

// COM for the calling thread, undone only when this call did it (S_OK or S_FALSE).
// A thread already in the multithreaded apartment keeps it: the imaging component
// works there too.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    HRESULT result_;
};

// The owner of a COM object.
template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For functions that hand out a new reference: releases the current one first.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void reset() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

  private:
    Interface* pointer_ = nullptr;
};

}  // namespace pagorin::win32
