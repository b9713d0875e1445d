// Owned Win32 handles, the one type for them all: each kind is closed with its own function when its owner goes, and an
// owner can be moved but not copied, so that no path of the code leaks or closes a handle twice.
#pragma once
#include <windows.h>

#include <utility>

namespace quorv {

template <typename Kind>
class Owned {
 public:
  using Raw = typename Kind::Raw;
  Owned() = default;
  explicit Owned(Raw raw) : raw_(raw) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : raw_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Owned() { reset(); }

  Raw get() const { return raw_; }
  explicit operator bool() const { return Kind::valid(raw_); }
  // For a function that writes a new handle into a pointer: the old one is closed first.
  Raw* out() {
    reset();
    return &raw_;
  }
  Raw release() { return std::exchange(raw_, Kind::none()); }
  void reset(Raw raw = Kind::none()) {
    if (Kind::valid(raw_)) Kind::close(raw_);
    raw_ = raw;
  }

 private:
  Raw raw_ = Kind::none();
};

// Files, processes, threads, pipes, events, jobs: CloseHandle. Both null and
// INVALID_HANDLE_VALUE mean none, as the functions that make them report failure with either.
struct KernelHandleKind {
  using Raw = HANDLE;
  static Raw none() { return nullptr; }
  static bool valid(Raw raw) { return raw != nullptr && raw != INVALID_HANDLE_VALUE; }
  static void close(Raw raw) { CloseHandle(raw); }
};
using UniqueHandle = Owned<KernelHandleKind>;

// The Service Control Manager and services: CloseServiceHandle.
struct ServiceHandleKind {
  using Raw = SC_HANDLE;
  static Raw none() { return nullptr; }
  static bool valid(Raw raw) { return raw != nullptr; }
  static void close(Raw raw) { CloseServiceHandle(raw); }
};
using ServiceHandle = Owned<ServiceHandleKind>;

// Directory searches of FindFirstFile: FindClose. INVALID_HANDLE_VALUE means none.
struct FindHandleKind {
  using Raw = HANDLE;
  static Raw none() { return INVALID_HANDLE_VALUE; }
  static bool valid(Raw raw) { return raw != nullptr && raw != INVALID_HANDLE_VALUE; }
  static void close(Raw raw) { FindClose(raw); }
};
using FindHandle = Owned<FindHandleKind>;

// Registry keys: RegCloseKey.
struct RegistryKeyKind {
  using Raw = HKEY;
  static Raw none() { return nullptr; }
  static bool valid(Raw raw) { return raw != nullptr; }
  static void close(Raw raw) { RegCloseKey(raw); }
};
using RegistryKey = Owned<RegistryKeyKind>;

}  // namespace quorv
