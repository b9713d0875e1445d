#include "jvm/prepare_win.h"

#include <windows.h>

#include <cstdio>

#include "config/configured_message.h"
#include "config/keys.h"
#include "core/handle_win.h"
#include "diag/fatal.h"
#include "diag/log.h"
#include "diag/messages.h"
#include "files/paths.h"
#include "jvm/pack_rules.h"

namespace quorv {

void prepareJre(const std::string& javaHome) {
  if (!fileExists(javaHome + "\\lib\\rt.jar.pack") || fileExists(javaHome + "\\lib\\jsse.jar")) return;
  logMessage("Unpacking JRE");
  std::fputs(text::PreparingJre, stdout);
  std::fflush(stdout);
  for (const char* jar : kPackedJars) unpackJar(javaHome, jar);
  logMessage("Unpacking JRE done");
}

void unpackJar(const std::string& javaHome, const std::string& jarName) {
  unpackPackFile(javaHome, packFilePath(javaHome, jarName));
}

void unpackPackFile(const std::string& javaHome, const std::string& packPath) {
  std::string jarPath = targetJarPath(packPath);
  if (!fileExists(packPath)) {
    logMessage("pack path doesn't exists");
    return;
  }
  std::string application = unpackerPath(javaHome);
  std::string commandLine = unpackCommandLine(packPath, jarPath);
  logMessage("%s", application.c_str());
  logMessage("%s", commandLine.c_str());

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
    logMessage("could not create unpack process");
    fatalConfiguredError(key::MsgInternal, detail::UnpackStart);
  }
  UniqueHandle child(process.hProcess);
  UniqueHandle childThread(process.hThread);
  logMessage("waiting for unpack200 to finish");
  WaitForSingleObject(child.get(), INFINITE);
  logMessage("unpack done");
  child.reset();
  childThread.reset();

  // unpack200 -r removes the pack file itself; one that is already gone is no error.
  if (!DeleteFileA(packPath.c_str())) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      logMessage("could not delete packed file (error %d)", static_cast<int>(error));
    }
  }
}

}  // namespace quorv
