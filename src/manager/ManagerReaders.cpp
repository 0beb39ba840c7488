#include "manager/ManagerReaders.h"

#include <array>

namespace vp {

TTabReader ReaderOfTab(int tab) {
  static constexpr std::array<TTabReader, 9> kReaders = {
      ReadInstalledSoftware, ReadStartupEntries, ReadUninstallEntries, ReadFileTypes,    ReadNewFileEntries,
      ReadShellVerbs,        ReadMenuExtEntries, ReadOpenWithEntries,  ReadSearchEntries};
  if (tab < 0 || tab >= static_cast<int>(kReaders.size())) return nullptr;
  return kReaders[static_cast<size_t>(tab)];
}

}  // namespace vp
