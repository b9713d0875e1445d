// The WiX source of a package (v3 schema, which wixl reads and the WiX Toolset converts). The
// Windows Installer's own tables register the service (ServiceInstall, ServiceControl) and its
// event source (Registry); a deferred custom action then runs the installed executable with
// /configure for what those tables cannot say: the delayed start, the failure actions, the
// pre-shutdown timeout, the service SID and the log directories with the account's rights.
#include <cstdint>
#include <map>
#include <set>
#include <sstream>

#include "core/ascii.h"
#include "installer.h"

namespace quorv::pack {
namespace {

std::string xml(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A text in a column of the Formatted type, where brackets and braces have meanings of their own.
std::string formatted(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') {
      out += "[\\";
      out += c;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + xml(value) + "\"";
}

// An identifier that stays the same for the same path from one version to the next: a letter
// and the FNV-1a hash of the upper-cased path.
std::string identifier(char kind, std::string path) {
  upperCaseAscii(path);
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : path) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  static const char* const kDigits = "0123456789abcdef";
  std::string id(1, kind);
  for (int shift = 60; shift >= 0; shift -= 4) id += kDigits[(hash >> shift) & 0xF];
  return id;
}

// Relative to `base` where it is set and the path can be reached from there, else absolute.
std::string sourceText(const std::filesystem::path& path, const std::filesystem::path& base) {
  std::filesystem::path full = std::filesystem::absolute(path).lexically_normal();
  if (!base.empty()) {
    std::filesystem::path relative = full.lexically_relative(std::filesystem::absolute(base).lexically_normal());
    if (!relative.empty()) full = relative;
  }
  const std::u8string text = full.u8string();
  return std::string(text.begin(), text.end());
}

// The directories below the install directory, each with the files directly in it.
struct Folder {
  std::map<std::string, Folder> folders;  // by name
  std::vector<const PackageFile*> files;
};

void writeFolder(std::ostream& out, const Folder& folder, const std::string& path, const std::string& indent,
                 const std::filesystem::path& base, std::vector<std::string>& components) {
  for (const PackageFile* file : folder.files) {
    const std::string name = file->target.substr(file->target.rfind('\\') + 1);
    const std::string component = identifier('c', file->target);
    components.push_back(component);
    out << indent << "<Component" << attribute("Id", component) << " Guid=\"*\" Win64=\"yes\">\n"
        << indent << "  <File" << attribute("Id", identifier('f', file->target)) << attribute("Name", name)
        << attribute("Source", sourceText(file->source, base)) << " KeyPath=\"yes\" />\n"
        << indent << "</Component>\n";
  }
  for (const auto& [name, below] : folder.folders) {
    const std::string inner = path.empty() ? name : path + "\\" + name;
    out << indent << "<Directory" << attribute("Id", identifier('d', inner)) << attribute("Name", name) << ">\n";
    writeFolder(out, below, inner, indent + "  ", base, components);
    out << indent << "</Directory>\n";
  }
}

}  // namespace

std::string wxsText(const PackageSpec& spec, const std::filesystem::path& base) {
  Folder root;
  for (const PackageFile& file : spec.files) {
    Folder* folder = &root;
    std::size_t start = 0;
    for (std::size_t slash = file.target.find('\\'); slash != std::string::npos;
         slash = file.target.find('\\', start)) {
      folder = &folder->folders[file.target.substr(start, slash - start)];
      start = slash + 1;
    }
    folder->files.push_back(&file);
  }
  const std::string eventKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + spec.serviceName;

  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<!-- Written by quorv-pack msi. Build it with the WiX Toolset (wix convert, then wix build -arch x64)\n"
         "     or with wixl -a x64. -->\n"
         "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
      << "  <Product Id=\"*\"" << attribute("Name", spec.productName) << " Language=\"1033\""
      << attribute("Version", spec.version) << attribute("Manufacturer", spec.manufacturer)
      << attribute("UpgradeCode", spec.upgradeCode) << " Codepage=\"1252\">\n"
      << "    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"perMachine\" Platform=\"x64\""
      << attribute("Description", spec.productName) << attribute("Manufacturer", spec.manufacturer) << " />\n"
      << "    <MajorUpgrade DowngradeErrorMessage=\"A newer version of [ProductName] is already installed.\" />\n"
         "    <Media Id=\"1\" Cabinet=\"product.cab\" EmbedCab=\"yes\" />\n"
         "    <!-- A user account's password comes from the msiexec command line (SERVICE_PASSWORD=...);\n"
         "         the package holds only the reference, and the installer's log never the value. -->\n"
         "    <Property Id=\"SERVICE_PASSWORD\" Secure=\"yes\" />\n"
         "    <Property Id=\"MsiHiddenProperties\" Value=\"SERVICE_PASSWORD\" />\n";
  if (spec.password) {
    out << "    <Condition"
        << attribute("Message", "The service account " + spec.account +
                                    " needs its password: install with SERVICE_PASSWORD=... on the msiexec command line.")
        << ">Installed OR SERVICE_PASSWORD</Condition>\n";
  }
  out << "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
         "      <Directory Id=\"ProgramFiles64Folder\">\n";
  std::string indent = "        ";
  std::string path;
  for (std::size_t i = 0; i < spec.directory.size(); ++i) {
    path += (path.empty() ? "" : "\\") + spec.directory[i];
    const std::string id = i + 1 == spec.directory.size() ? "INSTALLDIR" : identifier('p', path);
    out << indent << "<Directory" << attribute("Id", id) << attribute("Name", spec.directory[i]) << ">\n";
    indent += "  ";
  }
  out << indent << "<Component Id=\"cService\" Guid=\"*\" Win64=\"yes\">\n"
      << indent << "  <File Id=\"fService\"" << attribute("Name", spec.exeName)
      << attribute("Source", sourceText(spec.exeSource, base)) << " KeyPath=\"yes\" />\n"
      << indent << "  <ServiceInstall Id=\"ServiceInstall\"" << attribute("Name", formatted(spec.serviceName))
      << attribute("DisplayName", formatted(spec.serviceName));
  if (!spec.description.empty()) out << attribute("Description", spec.description);
  out << " Type=\"ownProcess\"" << (spec.interactive ? " Interactive=\"yes\"" : "")
      << attribute("Start", spec.autoStart ? "auto" : "demand") << " ErrorControl=\"normal\"";
  if (!spec.account.empty()) out << attribute("Account", formatted(spec.account));
  if (spec.password) out << " Password=\"[SERVICE_PASSWORD]\"";
  out << " Vital=\"yes\">\n";
  for (const std::string& dependency : spec.dependencies)
    out << indent << "    <ServiceDependency" << attribute("Id", dependency) << " />\n";
  out << indent << "  </ServiceInstall>\n"
      << indent << "  <ServiceControl Id=\"ServiceControl\"" << attribute("Name", formatted(spec.serviceName))
      << (spec.autoStart ? " Start=\"install\"" : "") << " Stop=\"both\" Remove=\"uninstall\" Wait=\"yes\" />\n"
      << indent << "  <RegistryKey Root=\"HKLM\"" << attribute("Key", formatted(eventKey))
      << " ForceDeleteOnUninstall=\"yes\">\n"
      << indent << "    <RegistryValue Name=\"EventMessageFile\" Type=\"expandable\" Value=\"[#fService]\" />\n"
      << indent << "    <RegistryValue Name=\"TypesSupported\" Type=\"integer\" Value=\"7\" />\n"
      << indent << "  </RegistryKey>\n"
      << indent << "</Component>\n";
  std::vector<std::string> components{"cService"};
  writeFolder(out, root, "", indent, base, components);
  for (std::size_t i = 0; i < spec.directory.size(); ++i) {
    indent.resize(indent.size() - 2);
    out << indent << "</Directory>\n";
  }
  out << "      </Directory>\n"
         "    </Directory>\n"
         "    <CustomAction Id=\"QuorvConfigure\" FileKey=\"fService\" ExeCommand=\"/configure\" Execute=\"deferred\""
         " Impersonate=\"no\" Return=\"check\" />\n"
         "    <InstallExecuteSequence>\n"
         "      <!-- After InstallServices (5800), before StartServices (5900); not while being removed. -->\n"
         "      <Custom Action=\"QuorvConfigure\" Sequence=\"5850\">NOT REMOVE~=\"ALL\"</Custom>\n"
         "    </InstallExecuteSequence>\n"
         "    <Feature Id=\"Service\" Level=\"1\">\n";
  for (const std::string& component : components) out << "      <ComponentRef" << attribute("Id", component) << " />\n";
  out << "    </Feature>\n"
         "  </Product>\n"
         "</Wix>\n";
  return out.str();
}

}  // namespace quorv::pack
