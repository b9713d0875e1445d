// Checked binary file access for the packer: every failure is a PackError naming the file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace quorv::pack {

std::string displayPath(const std::filesystem::path& path);

// An open stdio file that closes itself.
struct File {
  std::FILE* handle = nullptr;
  std::filesystem::path path;
  // Sees every byte that writeAll writes, in order (the PE checksum of a packed launcher).
  std::function<void(const uint8_t*, size_t)> onWrite;

  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();
};

File openForRead(const std::filesystem::path& path);
// Creates the file; fails when it exists already.
File createNew(const std::filesystem::path& path);
void readExact(File& file, void* data, size_t size);
// Reads up to `size` bytes; returns how many (0 at the end).
size_t readSome(File& file, void* data, size_t size);
void writeAll(File& file, const void* data, size_t size);
void seekTo(File& file, uint64_t offset);
uint64_t fileSize(File& file);
// Flushes and closes, reporting a failed write-back.
void closeChecked(File& file);

}  // namespace quorv::pack
