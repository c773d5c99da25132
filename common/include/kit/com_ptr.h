// One owner for a COM interface pointer: releases it when the owner goes away.
#pragma once

#ifdef _WIN32
#include <unknwn.h>

#include <utility>

namespace kit {

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference that the caller already holds.
    explicit ComPtr(T* p) : p_(p) {}
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For APIs that return an interface through an out argument.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* release() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

    template <typename U>
    ComPtr<U> as() const {
        ComPtr<U> other;
        if (p_) p_->QueryInterface(__uuidof(U), other.put_void());
        return other;
    }

  private:
    T* p_ = nullptr;
};

}  // namespace kit
#endif
