// The outcome of a decoder: a whole value, or an error with the byte offset where it was found.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace vexilo::core {

struct DecodeError {
  std::string what;
  std::size_t offset = 0;
};

template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}                    // NOLINT: implicit on purpose
  Result(DecodeError error) : error_(std::move(error)) {}          // NOLINT
  static Result failure(std::string what, std::size_t offset) {
    return Result(DecodeError{std::move(what), offset});
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const T& value() const& { return *value_; }
  T& value() & { return *value_; }
  T&& value() && { return std::move(*value_); }
  const T& operator*() const& { return *value_; }
  T& operator*() & { return *value_; }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }
  const DecodeError& error() const { return error_; }

 private:
  std::optional<T> value_;
  DecodeError error_;
};

}  // namespace vexilo::core
