#pragma once
// A unique_ptr that copies what it points to when it is copied. For the parts of objects that
// are copied whole (the solver's snapshots of a running stage): the copy owns copies of the
// parts, so it neither shares a part with the original nor loses one, and a field added later is
// copied without anyone remembering to.

#include <cstddef>
#include <memory>

template <class T>
class DeepPtr : public std::unique_ptr<T> {
  public:
    DeepPtr() = default;
    DeepPtr(std::nullptr_t) noexcept {}
    DeepPtr(std::unique_ptr<T>&& p) noexcept : std::unique_ptr<T>(std::move(p)) {}
    DeepPtr(const DeepPtr& other) : std::unique_ptr<T>(Copy(other)) {}
    DeepPtr(DeepPtr&&) noexcept = default;
    ~DeepPtr() = default;

    DeepPtr& operator=(const DeepPtr& other) {
        if (this != &other) std::unique_ptr<T>::operator=(Copy(other));
        return *this;
    }
    DeepPtr& operator=(DeepPtr&&) noexcept = default;
    DeepPtr& operator=(std::unique_ptr<T>&& p) noexcept {
        std::unique_ptr<T>::operator=(std::move(p));
        return *this;
    }
    DeepPtr& operator=(std::nullptr_t) noexcept {
        this->reset();
        return *this;
    }

  private:
    static std::unique_ptr<T> Copy(const DeepPtr& other) {
        return other ? std::make_unique<T>(*other) : nullptr;
    }
};
