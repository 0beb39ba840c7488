#include "support/RegistryGenerator.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace vp::bench {
namespace fs = std::filesystem;

namespace {

// splitmix64: small, fast, and the same sequence with every compiler and
// standard library (the standard distributions are not).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
  bool Chance(double share) { return static_cast<double>(Next() >> 11) * 0x1.0p-53 < share; }

 private:
  uint64_t state_;
};

constexpr std::array<const char*, 16> kSyllableA = {"Nor", "Alt", "Vex", "Qua", "Bri", "Sol", "Ter", "Lum",
                                                    "Cor", "Zen", "Mar", "Pol", "Dra", "Kel", "Ori", "Tav"};
constexpr std::array<const char*, 8> kSyllableB = {"ian", "ex", "ora", "ivo", "et", "on", "is", "ax"};
constexpr std::array<const char*, 8> kSyllableC = {"", "ta", "lo", "mi", "ke", "su", "ra", "no"};
constexpr std::array<const char*, 6> kVendorSuffix = {" Software", " Systems", " Labs",
                                                      " Digital",  " Media",   " Technologies"};
constexpr std::array<const char*, 12> kProductWords = {"Studio", "Viewer", "Manager",   "Player",
                                                       "Editor", "Sync",   "Backup",    "Office",
                                                       "Tools",  "Reader", "Converter", "Suite"};

// The files every installed product has; references pick among them.
constexpr std::array<const char*, 9> kProductFiles = {"app.exe",         "core.dll",        "ui.dll",
                                                      "help.chm",        "readme.txt",      "unins000.exe",
                                                      "plugins\\p1.dll", "plugins\\p2.dll", "types.tlb"};

std::string Hex(uint64_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 15];
  return text;
}

std::string Guid(Random& random) {
  const uint64_t a = random.Next(), b = random.Next();
  return "{" + Hex(a >> 32, 8) + "-" + Hex((a >> 16) & 0xFFFF, 4) + "-" + Hex(a & 0xFFFF, 4) + "-" +
         Hex(b >> 48, 4) + "-" + Hex(b & 0xFFFFFFFFFFFFull, 12) + "}";
}

std::string Number(int64_t value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", width, static_cast<long long>(value));
  return text;
}

std::string VendorName(int64_t index) {
  std::string name = std::string(kSyllableA[static_cast<size_t>(index % 16)]) +
                     kSyllableB[static_cast<size_t>(index / 16 % 8)] +
                     kSyllableC[static_cast<size_t>(index / 128 % 8)] +
                     kVendorSuffix[static_cast<size_t>(index / 1024 % 6)];
  if (index >= 16 * 8 * 8 * 6) name += " " + std::to_string(index / (16 * 8 * 8 * 6));
  return name;
}

// Registry text escaping of the export format: backslash and double quote.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += (i % 24 == 0) ? ",\\\r\n  " : ",";
    out += Hex(static_cast<unsigned char>(bytes[i]), 2);
  }
  return out;
}

// Builds the import text and its removal text, counting as it goes.
class Writer {
 public:
  explicit Writer(TGeneratedRegistry& out) : out_(out) { out_.regText = "REGEDIT4\r\n"; }

  void Key(const std::string& path) {
    out_.regText += "\r\n[" + path + "]\r\n";
    ++out_.keys;
  }
  void String(const std::string& name, const std::string& data) { Line(name, Quoted(data)); }
  void ExpandString(const std::string& name, const std::string& data) {
    Line(name, "hex(2):" + HexBytes(data + std::string(1, '\0')));
  }
  void Dword(const std::string& name, uint32_t value) { Line(name, "dword:" + Hex(value, 8)); }
  void Binary(const std::string& name, const std::string& bytes) { Line(name, "hex:" + HexBytes(bytes)); }
  void MultiString(const std::string& name, const std::vector<std::string>& strings) {
    std::string bytes;
    for (const auto& s : strings) bytes += s + std::string(1, '\0');
    bytes += '\0';
    Line(name, "hex(7):" + HexBytes(bytes));
  }
  // A key the removal file deletes with everything below it.
  void Owned(const std::string& path) { removals_ += "\r\n[-" + path + "]\r\n"; }
  // A value added to a key that existed before.
  void OwnedValue(const std::string& key, const std::string& name) {
    removals_ += "\r\n[" + key + "]\r\n" + Quoted(name) + "=-\r\n";
  }
  void Finish() { out_.removalText = "REGEDIT4\r\n" + removals_; }

 private:
  void Line(const std::string& name, const std::string& data) {
    out_.regText += (name.empty() ? std::string("@") : Quoted(name)) + "=" + data + "\r\n";
    ++out_.values;
  }
  TGeneratedRegistry& out_;
  std::string removals_;
};

struct Product {
  std::string vendor;
  std::string name;
  std::string folder;  // C:\Program Files\<vendor>\<name>
};

// The references into the product folders and the files they need.
class References {
 public:
  References(const TGeneratorOptions& options, TGeneratedRegistry& out, Random& random)
      : options_(options), out_(out), random_(random) {}

  // A path to one of the product's files; missing by the chosen share.
  std::string FilePath(const Product& product, int file) {
    ++out_.pathValues;
    if (random_.Chance(options_.missingShare)) {
      ++out_.missingValues;
      // A file that was removed, in a folder that may still exist.
      return product.folder + "\\old" + Number(random_.Below(100000), 5) + ".dll";
    }
    return product.folder + "\\" + kProductFiles[static_cast<size_t>(file) % kProductFiles.size()];
  }
  // The same file written in one of the forms registry data takes.
  std::string Reference(const Product& product, int file) {
    std::string path = FilePath(product, file);
    switch (random_.Below(8)) {
      case 0:
        return "\"" + path + "\" /min";
      case 1:
        return path + ",0";
      case 2:
        return "%ProgramFiles%" + path.substr(16);  // after "C:\Program Files"
      case 3:
        return "rundll32.exe " + path + ",Start";
      case 4:
        return "\"" + path + "\" \"%1\"";
      default:
        return path;
    }
  }

 private:
  const TGeneratorOptions& options_;
  TGeneratedRegistry& out_;
  Random& random_;
};

void CreateProductFiles(const fs::path& root, const Product& product) {
  fs::path folder = root / "Program Files" / product.vendor / product.name;
  std::error_code ec;
  fs::create_directories(folder / "plugins", ec);
  for (const char* file : kProductFiles) {
    std::string name = file;
    for (char& c : name)
      if (c == '\\') c = '/';
    std::ofstream(folder / name) << "x";
  }
}

}  // namespace

bool WriteHostFile(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

TGeneratedRegistry GenerateRegistry(const TGeneratorOptions& options) {
  TGeneratedRegistry out;
  Random random(options.seed);
  Writer w(out);
  References refs(options, out, random);

  // Shares of the keys by kind; a product owns about 25 keys of its own tree.
  const int64_t n = options.keys;
  const int64_t programKeys = n * 36 / 100, userKeys = n * 12 / 100, uninstallKeys = n * 4 / 100,
                appPathKeys = n * 2 / 100, classKeys = n * 18 / 100, typeLibKeys = n * 9 / 100,
                interfaceKeys = n * 9 / 100;
  const int64_t products = std::max<int64_t>(1, programKeys / 25);
  const int64_t vendors = std::max<int64_t>(1, products / 6);

  std::vector<Product> all;
  all.reserve(static_cast<size_t>(products));
  for (int64_t p = 0; p < products; ++p) {
    Product product;
    product.vendor = VendorName(p % vendors);
    product.name = std::string(kProductWords[static_cast<size_t>(p / vendors % 12)]) + " " +
                   std::to_string(p / vendors / 12 + 1);
    product.folder = "C:\\Program Files\\" + product.vendor + "\\" + product.name;
    all.push_back(product);
  }
  auto productOf = [&](int64_t i) -> const Product& { return all[static_cast<size_t>(i % products)]; };

  const std::string hklm = "HKEY_LOCAL_MACHINE\\Software\\";
  const std::string hkcu = "HKEY_CURRENT_USER\\Software\\";
  for (int64_t v = 0; v < vendors && v < products; ++v) {
    w.Owned(hklm + VendorName(v));
    w.Owned(hkcu + VendorName(v));
  }

  // Vendor and program trees: settings, components, plug-ins, options.
  for (int64_t p = 0; p < products; ++p) {
    const Product& product = all[static_cast<size_t>(p)];
    const std::string base = hklm + product.vendor + "\\" + product.name;
    w.Key(base);
    w.String("InstallDir", product.folder);
    w.String("Version", std::to_string(1 + p % 9) + "." + std::to_string(p % 13) + "." + Number(p % 997, 3));
    w.String("Path", refs.FilePath(product, 0));
    w.Key(base + "\\Settings");
    w.Dword("Language", 1033);
    w.String("Skin", "Default");
    w.Dword("CheckUpdates", static_cast<uint32_t>(p & 1));
    w.Key(base + "\\Settings\\Window");
    w.Binary("Placement", std::string("\x2c\0\0\0\0\0\0\0\x01\0\0\0\xff\xff\xff\xff", 16));
    w.Key(base + "\\Components");
    for (int c = 1; c <= 12; ++c) {
      w.Key(base + "\\Components\\Comp" + Number(c, 3));
      w.String("Path", refs.FilePath(product, 1 + c % 2));
      w.String("Version", "1." + std::to_string(c) + ".0." + std::to_string(p % 50));
      w.Dword("Enabled", 1);
    }
    w.Key(base + "\\Plugins");
    for (int c = 1; c <= 3; ++c) {
      w.Key(base + "\\Plugins\\Plugin" + std::to_string(c));
      w.String("Module", refs.Reference(product, 5 + c % 3));
      w.String("Name", product.name + " plug-in " + std::to_string(c));
    }
    w.Key(base + "\\Options");
    for (const char* page : {"General", "Advanced", "Network"}) {
      w.Key(base + "\\Options\\" + page);
      w.Dword("Flags", static_cast<uint32_t>(random.Below(65536)));
      w.String("LastFolder", "C:\\users\\user\\Documents");
    }
    w.Key(base + "\\Licensing");
    w.Binary("Token", std::string(reinterpret_cast<const char*>(&p), sizeof p) + "licence");
  }

  // Per-user settings; one program in twenty keeps a history list (on a
  // real machine a few dozen lists, each reported in full by the scan). A
  // product whose settings exist already gets another profile.
  const int64_t userProducts = std::max<int64_t>(1, userKeys / 5);
  for (int64_t u = 0; u < userProducts; ++u) {
    const Product& product = productOf(u);
    const std::string base = hkcu + product.vendor + "\\" + product.name +
                             (u >= products ? " Profile " + std::to_string(u / products + 1) : "");
    w.Key(base);
    w.Key(base + "\\Settings");
    w.Dword("ShowToolbar", 1);
    w.String("Theme", "Light");
    if (u % 20 == 0) {
      w.Key(base + "\\Recent File List");
      for (int f = 1; f <= 6; ++f) w.String("File" + std::to_string(f), refs.FilePath(product, 3 + f % 2));
    } else {
      w.Key(base + "\\Workspace");
      w.String("LastProject", refs.FilePath(product, 3 + u % 2));
      w.Dword("Layout", static_cast<uint32_t>(u % 4));
    }
    w.Key(base + "\\Toolbars");
    w.Key(base + "\\Toolbars\\Standard");
    w.Binary("State", std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  }

  // Uninstall entries and application paths.
  const std::string uninstall = hklm + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  for (int64_t i = 0; i < uninstallKeys; ++i) {
    const Product& product = productOf(i);
    const std::string key = uninstall + Guid(random);
    w.Key(key);
    w.Owned(key);
    w.String("DisplayName", product.vendor + " " + product.name);
    w.String("DisplayVersion", std::to_string(1 + i % 9) + ".0");
    w.String("Publisher", product.vendor);
    w.String("DisplayIcon", refs.FilePath(product, 0) + ",0");
    w.String("UninstallString", "\"" + refs.FilePath(product, 5) + "\" /S");
    w.String("InstallLocation", product.folder);
    w.Dword("EstimatedSize", static_cast<uint32_t>(random.Below(500000)));
  }
  const std::string appPaths = hklm + "Microsoft\\Windows\\CurrentVersion\\App Paths\\";
  for (int64_t i = 0; i < appPathKeys; ++i) {
    const Product& product = productOf(i);
    const std::string key = appPaths + "gen" + Number(i, 6) + ".exe";
    w.Key(key);
    w.Owned(key);
    w.String("", refs.FilePath(product, 0));
    w.String("Path", product.folder);
  }

  // Classes with their servers, type libraries and interfaces.
  const std::string classes = hklm + "Classes\\";
  std::vector<std::string> classIds;
  struct AppIdentity {
    std::string id;
    int64_t classIndex = 0;
  };
  std::vector<AppIdentity> appIdentities;
  for (int64_t i = 0; i < classKeys / 3; ++i) {
    const Product& product = productOf(i);
    const std::string id = Guid(random);
    classIds.push_back(id);
    const std::string key = classes + "CLSID\\" + id;
    w.Key(key);
    w.Owned(key);
    w.String("", product.name + " object " + std::to_string(i));
    const bool local = i % 5 == 0;
    if (local) {
      // Local servers run under an application identity; one in a hundred
      // names an identity that was never registered (or has been removed).
      const std::string appId = Guid(random);
      if (i % 500 != 250) appIdentities.push_back({appId, i});
      w.String("AppID", appId);
    }
    w.Key(key + (local ? "\\LocalServer32" : "\\InprocServer32"));
    w.String("", refs.FilePath(product, local ? 0 : 1));
    if (!local) w.String("ThreadingModel", "Apartment");
    w.Key(key + "\\ProgID");
    w.String("", "Gen" + Number(i % 100000, 5) + ".Object." + std::to_string(i / 100000 + 1));
  }
  // The identities, each with its settings and the key named after the
  // server's executable that leads back to it.
  for (const AppIdentity& identity : appIdentities) {
    const Product& product = productOf(identity.classIndex);
    const std::string key = classes + "AppID\\" + identity.id;
    w.Key(key);
    w.Owned(key);
    w.String("", product.name + " server " + std::to_string(identity.classIndex));
    if (identity.classIndex % 3 == 0) w.String("DllSurrogate", "");
    w.Dword("AuthenticationLevel", static_cast<uint32_t>(2 + identity.classIndex % 4));
    const std::string exeKey = classes + "AppID\\genserver" + Number(identity.classIndex, 6) + ".exe";
    w.Key(exeKey);
    w.Owned(exeKey);
    w.String("AppID", identity.id);
  }
  std::vector<std::string> typeLibs;
  for (int64_t i = 0; i < typeLibKeys / 6; ++i) {
    const Product& product = productOf(i);
    const std::string key = classes + "TypeLib\\" + Guid(random);
    typeLibs.push_back(key.substr(key.rfind('\\') + 1));
    w.Key(key);
    w.Owned(key);
    w.Key(key + "\\1.0");
    w.String("", product.name + " Type Library");
    w.Key(key + "\\1.0\\0");
    w.Key(key + "\\1.0\\0\\win32");
    w.String("", refs.FilePath(product, 8));
    w.Key(key + "\\1.0\\FLAGS");
    w.String("", "0");
    w.Key(key + "\\1.0\\HELPDIR");
    w.String("", product.folder);
  }
  for (int64_t i = 0; i < interfaceKeys / 3; ++i) {
    const std::string key = classes + "Interface\\" + Guid(random);
    w.Key(key);
    w.Owned(key);
    w.String("", "IGen" + Number(i, 6));
    w.Key(key + "\\ProxyStubClsid32");
    w.String("", classIds.empty() ? "{00020424-0000-0000-C000-000000000046}"
                                  : classIds[static_cast<size_t>(i) % classIds.size()]);
    w.Key(key + "\\TypeLib");
    w.String("", typeLibs.empty() ? "" : typeLibs[static_cast<size_t>(i) % typeLibs.size()]);
    w.String("Version", "1.0");
  }

  // File types with their shell verbs; whatever is left of the budget.
  for (int64_t i = 0; out.keys + 7 <= n; ++i) {
    const Product& product = productOf(i);
    const std::string extension = ".g" + Hex(static_cast<uint64_t>(i), 5);
    const std::string progId = "GenFile." + Hex(static_cast<uint64_t>(i), 5);
    w.Key(classes + extension);
    w.Owned(classes + extension);
    w.String("", progId);
    w.String("Content Type", "application/x-gen");
    w.Key(classes + progId);
    w.Owned(classes + progId);
    w.String("", product.name + " document");
    w.Key(classes + progId + "\\DefaultIcon");
    w.String("", refs.FilePath(product, 0) + ",1");
    w.Key(classes + progId + "\\shell");
    w.Key(classes + progId + "\\shell\\open");
    w.Key(classes + progId + "\\shell\\open\\command");
    w.String("", refs.Reference(product, 0));
    w.Key(classes + progId + "\\shell\\print");
  }

  // Fonts: values in the system's list; some files gone.
  const std::string fonts = hklm + "Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  w.Key(fonts);
  const int64_t fontCount = std::max<int64_t>(1, n / 200);
  std::vector<std::string> fontFiles;
  for (int64_t i = 0; i < fontCount; ++i) {
    const std::string name = "Gen Sans " + Number(i, 5) + " (TrueType)";
    const std::string file = "gensans" + Number(i, 5) + ".ttf";
    ++out.pathValues;
    if (random.Chance(options.missingShare))
      ++out.missingValues;
    else
      fontFiles.push_back(file);
    w.String(name, file);
    w.OwnedValue(fonts, name);
  }
  w.Finish();

  // The files the present references name, created once per root and seed.
  if (!options.driveRoot.empty()) {
    const fs::path marker = options.driveRoot / ("generated-" + Hex(options.seed, 8) + "-" +
                                                 std::to_string(options.keys) + ".done");
    const bool done = fs::exists(marker);
    for (const Product& product : all) {
      if (!done) CreateProductFiles(options.driveRoot, product);
      out.files += static_cast<int64_t>(kProductFiles.size());
    }
    const fs::path fontFolder = options.driveRoot / "windows" / "Fonts";
    std::error_code ec;
    fs::create_directories(fontFolder, ec);
    for (const std::string& file : fontFiles) {
      if (!done) std::ofstream(fontFolder / file) << "x";
      ++out.files;
    }
    std::ofstream(marker) << "x";
  }
  return out;
}

std::string GenerateLargeKey(const std::string& keyPath, int count, uint64_t seed) {
  TGeneratedRegistry out;
  Writer w(out);
  Random random(seed);
  w.Key(keyPath);
  for (int i = 0; i < count; ++i) {
    const std::string name = "Value" + Number(i, 6);
    switch (i % 5) {
      case 0:
        w.String(name, "C:\\Program Files\\Gen\\file" + Number(random.Below(100000), 5) + ".dll");
        break;
      case 1:
        w.ExpandString(name, "%SystemRoot%\\system32\\gen" + Number(i, 6) + ".dll");
        break;
      case 2:
        w.MultiString(name, {"first " + std::to_string(i), "second", "third \"quoted\""});
        break;
      case 3:
        w.Dword(name, static_cast<uint32_t>(random.Next()));
        break;
      default: {
        std::string bytes;
        for (int b = 0; b < 8 + i % 40; ++b) bytes += static_cast<char>(random.Below(256));
        w.Binary(name, bytes);
      }
    }
  }
  return out.regText;
}

std::vector<std::string> GenerateReferenceStrings(int64_t count, double missingShare, uint64_t seed,
                                                  const fs::path& driveRoot) {
  Random random(seed);
  TGeneratorOptions options;
  options.missingShare = missingShare;
  TGeneratedRegistry tally;
  References refs(options, tally, random);

  // A registry names the same few thousand files over and over: a pool of
  // products whose files the strings pick from.
  const int64_t products = std::max<int64_t>(1, count / 400);
  std::vector<Product> all;
  for (int64_t p = 0; p < products; ++p) {
    Product product;
    product.vendor = VendorName(p / 4);
    product.name = std::string(kProductWords[static_cast<size_t>(p % 12)]) + " " + std::to_string(p % 4 + 1);
    product.folder = "C:\\Program Files\\" + product.vendor + "\\" + product.name;
    CreateProductFiles(driveRoot, product);
    all.push_back(product);
  }
  const fs::path documents = driveRoot / "users" / "user" / "Documents";
  std::error_code ec;
  fs::create_directories(documents, ec);
  for (int d = 0; d < 200; ++d) std::ofstream(documents / ("report" + Number(d, 4) + ".txt")) << "x";

  std::vector<std::string> strings;
  strings.reserve(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    const Product& product = all[random.Below(static_cast<uint32_t>(products))];
    switch (random.Below(10)) {
      case 0:  // texts without a file in them
        strings.push_back(i % 2 ? "Version " + std::to_string(i % 97) + ".0" : "1024x768, 32 bit");
        break;
      case 1:  // a document in the user's folder
        strings.push_back(
            "C:\\users\\user\\Documents\\report" +
            Number(random.Chance(missingShare) ? 200 + random.Below(800) : random.Below(200), 4) + ".txt");
        break;
      case 2:  // network and removable locations are never examined
        strings.push_back(i % 2 ? "\\\\server\\share\\setup" + std::to_string(i % 50) + ".exe"
                                : "E:\\Setup\\autorun.exe");
        break;
      default:
        strings.push_back(refs.Reference(product, static_cast<int>(random.Below(9))));
    }
  }
  return strings;
}

}  // namespace vp::bench
