// Move-only owner of a Win32 handle, parameterised by a traits type that names the handle's
// type, its invalid value and how it is closed.
#pragma once

#include <utility>

namespace pelmora::platform {

template <typename Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(pointer value) noexcept : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  [[nodiscard]] pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

  // Gives up ownership, for a handle that the system takes over.
  [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(pointer value = Traits::invalid()) noexcept {
    if (value_ != value && value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }

 private:
  pointer value_ = Traits::invalid();
};

}  // namespace pelmora::platform
