// quorv-pack: writes, prints and unpacks the appended data block of the quorv launcher.
#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>

#include "block_reader.h"
#include "dump_config.h"
#include "file_io.h"
#include "installer.h"
#include "msi_build.h"
#include "pack_build.h"
#include "parse_config.h"
#include "pe_image.h"
#include "warnings.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace quorv::pack;

namespace {

constexpr const char* kVersion = "quorv-pack " QUORV_VERSION;

// Exit statuses, also listed in `quorv-pack reference`.
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr const char* kExitStatuses =
    "Exit status: 0 success; 1 error (a problem in the configuration file, a refused launcher\n"
    "stub, a file that cannot be read or written); 2 wrong command line.";

// The directory of the running packer, where the launcher stub and the runtime archive lie.
fs::path ownDirectory(const char* argv0) {
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n > 0 && n < buffer.size()) return fs::path(buffer.substr(0, n)).parent_path();
#else
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return self.parent_path();
#endif
  return fs::absolute(fs::path(argv0)).parent_path();
}

fs::path utf8Path(const std::string& text) {
#ifdef _WIN32
  return fs::path(text);  // the command line arrives in the ANSI code page
#else
  return fs::path(std::u8string(text.begin(), text.end()));
#endif
}

int reportProblems(const std::vector<Problem>& problems) {
  for (const auto& p : problems) std::cerr << formatProblem(p) << "\n";
  return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"quorv-pack: packs the configuration and the included files into the quorv launcher"};
  app.set_version_flag("--version", kVersion);
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.footer(kExitStatuses);  // before the subcommands, which take it over
  fs::path self = ownDirectory(argc > 0 ? argv[0] : "quorv-pack");

  std::string config, output, launcher, runtime, exe, dir, jar, mainClass, depfile, baseDir;

  // What build and msi share: both write the service executable from a configuration file.
  auto packing = [&](const char* word, const char* what, const char* outputText) {
    CLI::App* command = app.add_subcommand(word, what);
    command->add_option("config", config, "Configuration file (TOML)")->required();
    command->add_option("-o,--output", output, outputText)->required();
    command->add_option("--launcher", launcher, "Launcher stub (default: quorv-launcher.exe beside the packer)");
    command->add_option("--runtime", runtime, "Runtime archive (default: quorv-runtime.jar beside the packer)");
    command->add_option("--depfile", depfile, "Also write the files the output depends on, for make or ninja");
    command->add_option("--base-dir", baseDir,
                        "Directory of relative source and icon paths (default: the configuration file's directory)");
    return command;
  };
  auto* build = packing("build", "Write a packed launcher from a configuration file", "Packed launcher to write");
  std::string wxs;
  auto* msi = packing("msi", "Write a Windows Installer package of the service from a configuration file",
                      "Package to write (.msi)");
  msi->add_option("--wxs", wxs, "Also write the WiX source (v3 schema), with the service executable beside it");

  auto* check = app.add_subcommand("check", "Check a configuration file without writing anything");
  check->add_option("config", config, "Configuration file (TOML)")->required();
  check->add_option("--runtime", runtime, "Runtime archive (default: quorv-runtime.jar beside the packer)");
  check->add_option("--base-dir", baseDir,
                    "Directory of relative source and icon paths (default: the configuration file's directory)");

  auto* dump = app.add_subcommand("dump", "Print the configuration of a packed launcher");
  dump->add_option("exe", exe, "Packed launcher")->required();

  auto* extract = app.add_subcommand("extract", "Write the included files of a packed launcher");
  extract->add_option("exe", exe, "Packed launcher")->required();
  extract->add_option("dir", dir, "Directory to write them into")->required();

  auto* reference = app.add_subcommand("reference", "Print the reference of all settings (Markdown)");

  auto* init = app.add_subcommand("init", "Print a commented starter configuration");
  init->add_option("--jar", jar, "The application's archive")->required();
  init->add_option("--main-class", mainClass, "The application's main class")->required();
  init->add_option("-o,--output", output, "File to write instead of standard output");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kExitUsage;  // --help and --version end with 0
  }

  try {
    auto runtimePath = [&] { return runtime.empty() ? self / "quorv-runtime.jar" : utf8Path(runtime); };
    if (*build || *check || *msi) {
      ParseResult parsed =
          parseConfigFile(utf8Path(config), ParseOptions{runtimePath(), true, baseDir.empty() ? fs::path() : utf8Path(baseDir)});
      if (*check)
        for (const auto& w : parsed.warnings) std::cerr << formatProblem(w) << "\n";
      if (parsed.problems.empty()) {
        for (const Problem& w : sharedTempWarnings(parsed.config, config)) std::cerr << "warning: " << formatProblem(w) << "\n";
      }
      if (int rc = reportProblems(parsed.problems); rc != 0 || *check) {
        if (rc == 0) std::cout << config << ": ok\n";
        return rc;
      }
      fs::path stub = launcher.empty() ? self / "quorv-launcher.exe" : utf8Path(launcher);
      std::vector<fs::path> inputs;
      if (*msi) {
        fs::path base = baseDir.empty() ? utf8Path(config).parent_path() : utf8Path(baseDir);
        if (base.empty()) base = ".";
        const MsiRequest request{stub, base, config, utf8Path(output), wxs.empty() ? fs::path() : utf8Path(wxs)};
        if (int rc = reportProblems(writeInstallerPackage(parsed.config, request, std::cerr)); rc != 0) return rc;
        inputs = installerInputs(parsed.config, base);
      } else {
        writePackedLauncher(stub, parsed.config, utf8Path(output), std::cerr);
      }
      if (!depfile.empty()) {
        std::string text = dependencyFileText(utf8Path(output), utf8Path(config), stub, parsed.config, inputs);
        std::ofstream out(utf8Path(depfile), std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) throw PackError(depfile + ": cannot write the dependency file");
      }
      return 0;
    }
    if (*dump) {
      BlockContents block = readBlock(utf8Path(exe));
      ResourceTree resources;
      try {
        resources = readFileResources(utf8Path(exe));
      } catch (const PackError& e) {
        std::cerr << "quorv-pack: note: " << e.what() << "\n";
      }
      std::cout << dumpConfig(block, displayPath(utf8Path(exe).filename()), resources);
      return 0;
    }
    if (*extract) {
      extractIncludedFiles(utf8Path(exe), utf8Path(dir), std::cout);
      return 0;
    }
    if (*reference) {
      std::cout << referenceText();
      return 0;
    }
    if (*init) {
      if (!isJavaClassName(mainClass))
        std::cerr << "quorv-pack: note: \"" << mainClass << "\" is not a dotted Java class name\n";
      std::string text = starterConfig(jar, mainClass, newGuid());
      if (output.empty()) {
        std::cout << text;
        return 0;
      }
      File out = createNew(utf8Path(output));  // never overwrites a configuration
      writeAll(out, text.data(), text.size());
      closeChecked(out);
      return 0;
    }
  } catch (const PackError& e) {
    std::cerr << "quorv-pack: " << e.what() << "\n";
    return kExitError;
  } catch (const std::exception& e) {
    std::cerr << "quorv-pack: " << e.what() << "\n";
    return kExitError;
  }
  return 0;
}
