// vp_regen: writes a synthetic registry as an import file, the file that
// removes it again, and the program folders its values name.
//
//   vp_regen --keys N --missing SHARE --seed S --drive HOSTDIR --out FILE.reg --removal FILE.reg
//   vp_regen --large-key "HKEY_CURRENT_USER\Software\..." --count N --seed S --out FILE.reg

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/RegistryGenerator.h"

int main(int argc, char** argv) {
  vp::bench::TGeneratorOptions options;
  std::string out, removal, largeKey;
  int count = 100000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--keys") {
      options.keys = std::atoll(value.c_str());
    } else if (option == "--missing") {
      options.missingShare = std::atof(value.c_str());
    } else if (option == "--seed") {
      options.seed = std::strtoull(value.c_str(), nullptr, 10);
    } else if (option == "--drive") {
      options.driveRoot = value;
    } else if (option == "--out") {
      out = value;
    } else if (option == "--removal") {
      removal = value;
    } else if (option == "--large-key") {
      largeKey = value;
    } else if (option == "--count") {
      count = std::atoi(value.c_str());
    } else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: see the head of RegenMain.cpp\n");
    return 2;
  }
  if (!largeKey.empty())
    return vp::bench::WriteHostFile(out, vp::bench::GenerateLargeKey(largeKey, count, options.seed)) ? 0 : 1;

  const auto generated = vp::bench::GenerateRegistry(options);
  if (!vp::bench::WriteHostFile(out, generated.regText)) return 1;
  if (!removal.empty() && !vp::bench::WriteHostFile(removal, generated.removalText)) return 1;
  std::printf("%lld keys, %lld values, %lld naming files (%lld missing), %lld files\n",
              static_cast<long long>(generated.keys), static_cast<long long>(generated.values),
              static_cast<long long>(generated.pathValues), static_cast<long long>(generated.missingValues),
              static_cast<long long>(generated.files));
  return 0;
}
