#include "support/RegistryTree.h"

#include <gtest/gtest.h>

#include <vector>

#include "registry/FastRegistry.h"

namespace vp::test {
namespace {

void AddTree(TFastRegistry& registry, const std::string& path, const std::string& relative,
             TreeSnapshot& tree) {
  // A leading backslash: from the root, not from the key open now.
  if (!registry.OpenKeyReadOnly("\\" + path)) return;
  std::vector<std::string> names;
  std::vector<TRegValue> values;
  EXPECT_TRUE(registry.GetKeyNamesComplete(names)) << path;
  EXPECT_TRUE(registry.GetValuesComplete(values)) << path;
  auto& stored = tree[relative];
  for (TRegValue& value : values) stored[value.Name] = {value.Type, std::move(value.Data)};
  for (const std::string& name : names)
    AddTree(registry, path + "\\" + name, relative.empty() ? name : relative + "\\" + name, tree);
}

}  // namespace

void PrintTo(const StoredValue& value, std::ostream* out) {
  *out << "type " << value.type << " ";
  ::testing::internal::UniversalPrint(value.data, out);
}

TreeSnapshot SnapshotTree(platform::RegHandle root, const std::string& path) {
  TFastRegistry registry;
  registry.SetRootKey(root);
  TreeSnapshot tree;
  AddTree(registry, path, "", tree);
  return tree;
}

}  // namespace vp::test
