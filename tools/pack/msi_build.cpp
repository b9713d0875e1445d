#include "msi_build.h"

#include <fstream>
#include <random>

#include "file_io.h"
#include "pack_build.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace quorv::pack {
namespace {

#ifdef _WIN32
constexpr const char* kTool = "wix";
constexpr const char* kToolHint = "WiX's wix on the PATH (dotnet tool install --global wix)";
#else
constexpr const char* kTool = "wixl";
constexpr const char* kToolHint = "wixl on the PATH (Debian package wixl; msitools too)";
#endif

// A directory beside the package for the work in progress, removed with everything in it.
struct WorkDirectory {
  fs::path path;
  explicit WorkDirectory(const fs::path& output) {
    std::random_device seed;
    for (int attempt = 0;; ++attempt) {
      fs::path name = ".";
      name += output.filename();
      name += "." + std::to_string(seed() % 1000000000) + ".tmp";
      path = output.parent_path() / name;
      std::error_code ec;
      if (fs::create_directory(path, ec)) return;
      if (attempt >= 20 || (ec && !fs::exists(path))) {
        throw PackError(displayPath(path) + ": cannot create the work directory: " +
                        (ec ? ec.message() : std::string("it exists")));
      }
    }
  }
  ~WorkDirectory() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void writeTextFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw PackError(displayPath(path) + ": cannot write");
}

void run(const fs::path& tool, const std::vector<std::string>& arguments) {
  const ProgramResult r = runProgram(tool, arguments);
  if (r.status == 0) return;
  std::string line = displayPath(tool);
  for (const std::string& argument : arguments) line += " " + argument;
  throw PackError(line + (r.status < 0 ? ": could not run" : ": failed with exit status " + std::to_string(r.status)) +
                  (r.output.empty() ? "" : ":\n" + r.output));
}

#ifndef _WIN32
// wixl knows no Secure attribute: the password property joins the secure ones afterwards, so
// that msiexec hands it to the part of the install that runs with the system's rights.
void secureThePasswordProperty(const fs::path& msi) {
  const std::optional<fs::path> info = findOnPath("msiinfo");
  const std::optional<fs::path> build = findOnPath("msibuild");
  if (!info || !build) throw PackError("quorv-pack msi needs msiinfo and msibuild on the PATH (Debian package msitools)");
  const ProgramResult table = runProgram(*info, {"export", msi.string(), "Property"});
  if (table.status != 0) throw PackError(displayPath(msi) + ": msiinfo cannot read the Property table:\n" + table.output);
  std::string secure;
  std::size_t at = table.output.find("\nSecureCustomProperties\t");
  if (at != std::string::npos) {
    at += std::string("\nSecureCustomProperties\t").size();
    secure = table.output.substr(at, table.output.find_first_of("\r\n", at) - at);
  }
  const std::string value = secure.empty() ? "SERVICE_PASSWORD" : secure + ";SERVICE_PASSWORD";
  const std::string query = secure.empty()
                                ? "INSERT INTO `Property` (`Property`, `Value`) VALUES ('SecureCustomProperties', '" + value + "')"
                                : "UPDATE `Property` SET `Value` = '" + value + "' WHERE `Property` = 'SecureCustomProperties'";
  run(*build, {msi.string(), "-q", query});
}
#endif

}  // namespace

fs::path packageTool() {
  if (std::optional<fs::path> tool = findOnPath(kTool)) return *tool;
  throw PackError(std::string("quorv-pack msi needs ") + kToolHint);
}

std::vector<fs::path> installerInputs(const PackConfig& config, const fs::path& base) {
  std::vector<Problem> ignored;
  std::vector<fs::path> inputs;
  for (const PackageFile& file : packageSpec(config, base, fs::path(), "", ignored).files) inputs.push_back(file.source);
  return inputs;
}

std::vector<Problem> writeInstallerPackage(const PackConfig& config, const MsiRequest& request, std::ostream& notes) {
  std::vector<Problem> problems;
  PackageSpec spec = packageSpec(config, request.base, fs::path(), request.configName, problems);
  if (!problems.empty()) return problems;
  const fs::path tool = packageTool();
  std::error_code ec;
  if (fs::is_directory(request.output, ec)) throw PackError(displayPath(request.output) + ": is a directory");
  WorkDirectory work(request.output);
  // With the WiX source kept, the executable it names lies beside it, for a build with the WiX
  // Toolset later.
  const fs::path exeDirectory = request.wxs.empty() ? work.path : fs::absolute(request.wxs).parent_path();
  fs::create_directories(exeDirectory, ec);
  if (ec) throw PackError(displayPath(exeDirectory) + ": cannot create the directory: " + ec.message());
  spec.exeSource = exeDirectory / spec.exeName;
  writePackedLauncher(request.stub, config, spec.exeSource, notes);
  const fs::path msi = work.path / "package.msi";
#ifdef _WIN32
  // The WiX Toolset of today reads its own schema: a copy of the source is converted first
  // (which reports what it changed with a status of its own, not a failure).
  const std::string text = wxsText(spec);
  if (!request.wxs.empty()) writeTextFile(request.wxs, text);
  const fs::path source = work.path / "package.wxs";
  writeTextFile(source, text);
  runProgram(tool, {"convert", source.string()});
  run(tool, {"build", "-arch", "x64", "-o", msi.string(), source.string()});
#else
  // wixl finds the files relative to the source, which it reads where it is kept.
  const fs::path source = request.wxs.empty() ? work.path / "package.wxs" : request.wxs;
  writeTextFile(source, wxsText(spec, fs::absolute(source).parent_path()));
  run(tool, {"-a", "x64", "-o", msi.string(), source.string()});
  secureThePasswordProperty(msi);
#endif
  fs::rename(msi, request.output, ec);
  if (ec) throw PackError(displayPath(request.output) + ": cannot write: " + ec.message());
  return problems;
}

}  // namespace quorv::pack
