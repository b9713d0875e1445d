#include "run_program.h"

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace quorv::pack {

std::optional<fs::path> findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
#ifdef _WIN32
  const char separator = ';';
  const std::vector<std::string> endings = {".exe", ".cmd", ".bat"};
#else
  const char separator = ':';
  const std::vector<std::string> endings = {""};
#endif
  std::string text = path;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    const std::string directory = text.substr(start, end - start);
    start = end + 1;
    if (directory.empty()) continue;
    for (const std::string& ending : endings) {
      fs::path candidate = fs::path(directory) / (name + ending);
      std::error_code ec;
      if (!fs::is_regular_file(candidate, ec)) continue;
#ifndef _WIN32
      if (access(candidate.c_str(), X_OK) != 0) continue;
#endif
      return candidate;
    }
  }
  return std::nullopt;
}

#ifdef _WIN32

namespace {

// One argument as the C runtime of the program splits it again.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

}  // namespace

ProgramResult runProgram(const fs::path& program, const std::vector<std::string>& arguments) {
  ProgramResult result;
  // A .cmd or .bat runs through the command interpreter.
  const std::wstring ending = program.extension().wstring();
  const bool script = _wcsicmp(ending.c_str(), L".cmd") == 0 || _wcsicmp(ending.c_str(), L".bat") == 0;
  std::wstring line = script ? L"cmd.exe /d /s /c \"" + quoted(program.wstring()) : quoted(program.wstring());
  for (const std::string& argument : arguments) line += L" " + quoted(wide(argument));
  if (script) line += L"\"";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                      &process);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) result.output.append(buffer, read);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return result;
}

#else

ProgramResult runProgram(const fs::path& program, const std::vector<std::string>& arguments) {
  ProgramResult result;
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  if (error == 0) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipe[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) result.output.append(buffer, static_cast<std::size_t>(n));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  }
  ::close(pipe[0]);
  return result;
}

#endif

}  // namespace quorv::pack
