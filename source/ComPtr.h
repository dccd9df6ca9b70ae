#pragma once
// Holds one reference on a reference-counted object of the IUnknown shape: adds it when
// taking the object, releases it when let go.
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a reference of its own on `object` (may be null).
    explicit ComPtr(T* object) : object(object) {
        if (object) object->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.object) {}
    ComPtr(ComPtr&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~ComPtr() {
        if (object) object->Release();
    }

    T* get() const { return object; }
    T* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    T* object = nullptr;
};
