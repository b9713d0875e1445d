// The cost of the worker log's copy, for bench/run. The same bytes (100-byte lines, in the pieces
// of up to 8192 bytes that the service reads from its worker's output pipe) go once into the
// worker log (the service's own code, moved aside at the default 10 MB) and once straight into a
// plain file with WriteFile (the floor). For scale, the pipe itself: the same bytes written by a
// thread into an anonymous pipe in pieces of 4000 bytes and read and dropped, which is what the
// service does with them without a worker log.
//   worker_log_bench.exe DIRECTORY MIB
// prints "worker_log_ms MS", "plain_write_ms MS" and "pipe_discard_ms MS" for MIB MiB.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "service/worker_log_win.h"

// What the worker log needs of the launcher, for this program alone.
namespace quorv {
std::string benchDirectory;
std::string getConfigString(int key) { return key == 30300 ? benchDirectory + "\\service.log" : std::string(); }
const std::string& executableDirectory() { return benchDirectory; }
std::string resolveWrittenFile(const std::string& path) { return path; }
void logMessage(const char*, ...) {}
}  // namespace quorv

namespace {

constexpr DWORD kReadPiece = 8192;
constexpr DWORD kWritePiece = 4000;
std::string lines;  // 100-byte lines, more than a read piece
unsigned long long totalBytes = 0;

DWORD WINAPI pipeWriter(LPVOID target) {
  HANDLE out = static_cast<HANDLE>(target);
  DWORD written = 0;
  for (unsigned long long done = 0; done < totalBytes; done += kWritePiece)
    WriteFile(out, lines.data(), kWritePiece, &written, nullptr);
  CloseHandle(out);
  return 0;
}

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The bytes in read pieces, each starting where the last one ended within the lines.
template <typename Sink>
double timed(Sink sink) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  std::size_t at = 0;
  for (unsigned long long done = 0; done < totalBytes; done += kReadPiece) {
    sink(lines.data() + at, kReadPiece);
    at = (at + kReadPiece) % 100;
  }
  QueryPerformanceCounter(&end);
  return milliseconds(start, end);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  quorv::benchDirectory = argv[1];
  totalBytes = std::strtoull(argv[2], nullptr, 10) << 20;
  for (int line = 0; lines.size() < 2 * kReadPiece; ++line) {
    std::string text = "out " + std::to_string(line);
    text.resize(99, 'x');
    lines += text + "\n";
  }

  if (!quorv::workerLogOpen()) return 3;
  std::printf("worker_log_ms %.3f\n", timed([](const char* data, DWORD n) { quorv::workerLogWrite(data, n); }));

  const std::string plain = quorv::benchDirectory + "\\plain.out";
  HANDLE file = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 5;
  std::printf("plain_write_ms %.3f\n", timed([file](const char* data, DWORD n) {
                DWORD written = 0;
                WriteFile(file, data, n, &written, nullptr);
              }));
  CloseHandle(file);

  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return 4;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  HANDLE thread = CreateThread(nullptr, 0, pipeWriter, writeEnd, 0, nullptr);
  std::vector<char> buffer(kReadPiece);
  DWORD read = 0;
  while (ReadFile(readEnd, buffer.data(), kReadPiece, &read, nullptr) && read > 0) {
  }
  QueryPerformanceCounter(&end);
  WaitForSingleObject(thread, INFINITE);
  std::printf("pipe_discard_ms %.3f\n", milliseconds(start, end));
  return 0;
}
