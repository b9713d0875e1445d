// stdio with 64-bit positions and wide names on Windows.
#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <utility>

#include "pack_config.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace quorv::pack {

std::string displayPath(const std::filesystem::path& path) {
  auto text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what) {
  std::string reason = errno != 0 ? std::string(": ") + std::strerror(errno) : std::string();
  throw PackError(displayPath(path) + ": " + what + reason);
}

}  // namespace

File::File(File&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), path(std::move(other.path)), onWrite(std::move(other.onWrite)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle) std::fclose(handle);
    handle = std::exchange(other.handle, nullptr);
    path = std::move(other.path);
    onWrite = std::move(other.onWrite);
  }
  return *this;
}

File::~File() {
  if (handle) std::fclose(handle);
}

File openForRead(const std::filesystem::path& path) {
  File f;
  f.path = path;
  errno = 0;
#ifdef _WIN32
  f.handle = _wfopen(path.c_str(), L"rb");
#else
  f.handle = std::fopen(path.c_str(), "rb");
#endif
  if (!f.handle) fail(path, "cannot open");
  return f;
}

File createNew(const std::filesystem::path& path) {
  File f;
  f.path = path;
  errno = 0;
#ifdef _WIN32
  int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd >= 0) f.handle = _fdopen(fd, "wb");
#else
  int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
  if (fd >= 0) f.handle = ::fdopen(fd, "wb");
#endif
  if (fd >= 0 && !f.handle) {
#ifdef _WIN32
    _close(fd);
#else
    ::close(fd);
#endif
  }
  if (!f.handle) fail(path, "cannot create");
  return f;
}

void readExact(File& file, void* data, size_t size) {
  errno = 0;
  if (std::fread(data, 1, size, file.handle) != size) {
    if (std::feof(file.handle)) throw PackError(displayPath(file.path) + ": ends early (damaged or not packed)");
    fail(file.path, "read failed");
  }
}

size_t readSome(File& file, void* data, size_t size) {
  errno = 0;
  size_t n = std::fread(data, 1, size, file.handle);
  if (n < size && std::ferror(file.handle)) fail(file.path, "read failed");
  return n;
}

void writeAll(File& file, const void* data, size_t size) {
  errno = 0;
  if (size != 0 && std::fwrite(data, 1, size, file.handle) != size) fail(file.path, "write failed");
  if (file.onWrite) file.onWrite(static_cast<const uint8_t*>(data), size);
}

void seekTo(File& file, uint64_t offset) {
  errno = 0;
#ifdef _WIN32
  int rc = _fseeki64(file.handle, static_cast<int64_t>(offset), SEEK_SET);
#else
  int rc = fseeko(file.handle, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (rc != 0) fail(file.path, "seek failed");
}

uint64_t fileSize(File& file) {
  errno = 0;
#ifdef _WIN32
  if (_fseeki64(file.handle, 0, SEEK_END) != 0) fail(file.path, "seek failed");
  int64_t size = _ftelli64(file.handle);
#else
  if (fseeko(file.handle, 0, SEEK_END) != 0) fail(file.path, "seek failed");
  int64_t size = ftello(file.handle);
#endif
  if (size < 0) fail(file.path, "cannot tell its size");
  seekTo(file, 0);
  return static_cast<uint64_t>(size);
}

void closeChecked(File& file) {
  errno = 0;
  std::FILE* h = std::exchange(file.handle, nullptr);
  if (h && std::fclose(h) != 0) fail(file.path, "write failed");
}

}  // namespace quorv::pack
