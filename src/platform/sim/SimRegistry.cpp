#include "platform/sim/SimRegistry.h"

#include <algorithm>

#include "platform/sim/SimSystem.h"

namespace vp::platform::sim {
namespace {

// Code page 1252 bytes 0x80..0x9F as Unicode; the rest of the page is Latin-1.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The order and identity of names: upper-cased, then as Unicode, which is how
// the system sorts sub-keys. Names without an 8-bit form get keys starting
// with U+FFFF, which no 8-bit name produces: they sort last and match nothing.
std::u16string NameKey(std::string_view name) {
  std::u16string key;
  key.reserve(name.size());
  for (char c : name) {
    const unsigned char upper = Cp1252Upper(static_cast<unsigned char>(c));
    key.push_back(upper >= 0x80 && upper < 0xA0 ? kHighControls[upper - 0x80] : char16_t(upper));
  }
  return key;
}

std::u16string ForeignKey(std::uint32_t serial) {
  return std::u16string{char16_t(0xFFFF), char16_t(serial >> 16), char16_t(serial & 0xFFFF)};
}

// Length reported for a foreign name (an emoji name of a few characters).
constexpr std::uint32_t kForeignNameLength = 6;

constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kDelete |
                                       0x00040000u | 0x00080000u;  // WRITE_DAC, WRITE_OWNER

// 2026-01-01 00:00 UTC as a FILETIME.
constexpr std::uint64_t kInitialClock = 134116992000000000ull;

// Splits a path below a key. A leading backslash is a syntax error, as on
// the system; runs of backslashes and a trailing one are ignored.
bool SplitPath(std::string_view path, std::vector<std::string>& parts) {
  parts.clear();
  if (!path.empty() && path.front() == '\\') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

bool AllowedBy(SimKeyAccess restriction, std::uint32_t access) {
  switch (restriction) {
    case SimKeyAccess::kFull:
      return true;
    case SimKeyAccess::kReadOnly:
      return (access & kWriteRights) == 0;
    case SimKeyAccess::kNoOpen:
      return false;
  }
  return false;
}

}  // namespace

struct SimRegistry::Value {
  std::string name;
  std::u16string key;
  std::uint32_t type = kRegNone;
  std::string data;
  bool foreignName = false;
  bool foreignData = false;
};

struct SimRegistry::Node {
  std::string name;
  std::u16string key;
  Node* parent = nullptr;    // null for a hive's top and for a deleted key
  std::weak_ptr<Node> link;  // the target of a link key
  bool isLink = false;
  std::vector<NodePtr> children;  // sorted by key
  std::vector<Value> values;      // in creation order
  std::uint64_t lastWrite = 0;
  SimKeyAccess access = SimKeyAccess::kFull;
  bool foreign = false;
  bool deleted = false;

  Node* FindChild(const std::u16string& childKey) const {
    auto it = std::lower_bound(children.begin(), children.end(), childKey,
                               [](const NodePtr& n, const std::u16string& k) { return n->key < k; });
    return it != children.end() && (*it)->key == childKey ? it->get() : nullptr;
  }
  NodePtr FindChildPtr(const std::u16string& childKey) const {
    auto it = std::lower_bound(children.begin(), children.end(), childKey,
                               [](const NodePtr& n, const std::u16string& k) { return n->key < k; });
    return it != children.end() && (*it)->key == childKey ? *it : nullptr;
  }
  Value* FindValue(const std::u16string& valueKey) {
    for (auto& v : values)
      if (v.key == valueKey) return &v;
    return nullptr;
  }
};

// What a handle stands for: one key, or for the classes root the machine's
// key (main) and the user's key over it (overlay), either of which may be
// missing.
struct SimRegistry::View {
  NodePtr main;
  NodePtr overlay;
  bool classes = false;

  Node* Primary() const { return overlay ? overlay.get() : main.get(); }
  bool Exists() const { return main || overlay; }
  // The view without its deleted parts.
  View Live() const {
    View live = *this;
    if (live.main && live.main->deleted) live.main.reset();
    if (live.overlay && live.overlay->deleted) live.overlay.reset();
    return live;
  }
};

namespace {

const std::u16string& Wow64NodeKey() {
  static const std::u16string key = NameKey("Wow6432Node");
  return key;
}

}  // namespace

// The key a link leads to (links may lead to links); null for a broken link.
SimRegistry::NodePtr SimRegistry::FollowLinks(NodePtr node) {
  for (int hops = 0; node && node->isLink; ++hops) node = hops < 16 ? node->link.lock() : nullptr;
  return node && !node->deleted ? node : nullptr;
}

// Where a component is looked up below node: in the 32-bit view, in node's
// Wow6432Node sub-key when it has one and the component does not name it.
SimRegistry::NodePtr SimRegistry::LookupParent(const NodePtr& node, const std::u16string& part, bool view32) {
  if (!view32 || part == Wow64NodeKey()) return node;
  NodePtr wow64 = FollowLinks(node->FindChildPtr(Wow64NodeKey()));
  return wow64 ? wow64 : node;
}

// The full name of a key, as the system gives it.
std::string SimRegistry::SystemName(const Node* node) {
  std::string path;
  for (; node->parent; node = node->parent) path = "\\" + node->name + path;
  const std::string top = node->name == "HKEY_LOCAL_MACHINE" ? "MACHINE"
                          : node->name == "HKEY_USERS"       ? "USER"
                                                             : node->name;
  return "\\REGISTRY\\" + top + path;
}

struct SimRegistry::HandleEntry {
  View view;
  std::uint32_t access = 0;
  // Merged sub-key list of a classes view, rebuilt when the tree changed.
  std::mutex cacheMutex;
  std::uint64_t cacheGeneration = ~0ull;
  std::shared_ptr<const std::vector<NodePtr>> cache;
};

SimRegistry::SimRegistry() : clock_(kInitialClock) {
  auto top = [this](const char* name) {
    auto node = std::make_shared<Node>();
    node->name = name;
    node->key = NameKey(name);
    node->lastWrite = clock_++;
    return node;
  };
  for (auto& entry : rootEntries_) {
    entry = std::make_shared<HandleEntry>();
    entry->access = kKeyAllAccess;
  }
  machine_ = top("HKEY_LOCAL_MACHINE");
  users_ = top("HKEY_USERS");
  dynData_ = top("HKEY_DYN_DATA");  // opens, and holds nothing

  // The skeleton of a stock installation.
  auto path = [this](const NodePtr& from, std::initializer_list<const char*> names) {
    NodePtr node = from;
    for (const char* name : names) {
      NodePtr child = node->FindChildPtr(NameKey(name));
      node = child ? child : CreateChild(*node, name);
    }
    return node;
  };
  machineClasses_ = path(machine_, {"Software", "Classes"});
  path(machine_, {"Software", "Microsoft", "Windows", "CurrentVersion", "Run"});
  path(machine_, {"Software", "Microsoft", "Windows", "CurrentVersion", "Uninstall"});
  // The 32-bit view, with links to the keys it shares with the 64-bit one.
  NodePtr wow64 = path(machine_, {"Software", "Wow6432Node"});
  // The class registrations of every installation: one class, interface,
  // type library and application id of the system's own in each list.
  constexpr const char* kSystemGuid = "{00000000-0000-0000-C000-000000000046}";
  NodePtr classes32 = path(machineClasses_, {"Wow6432Node"});
  for (const NodePtr& classes : {machineClasses_, classes32}) {
    path(classes, {"CLSID", kSystemGuid});
    path(classes, {"Interface", kSystemGuid});
  }
  path(machineClasses_, {"AppID", kSystemGuid});
  path(machineClasses_, {"TypeLib", kSystemGuid});
  MakeLink(*classes32, "AppID", path(machineClasses_, {"AppID"}));
  MakeLink(*classes32, "TypeLib", path(machineClasses_, {"TypeLib"}));
  MakeLink(*wow64, "Classes", classes32);
  MakeLink(*path(wow64, {"Microsoft", "Windows", "CurrentVersion"}), "App Paths",
           path(machine_, {"Software", "Microsoft", "Windows", "CurrentVersion", "App Paths"}));
  MakeLink(*path(wow64, {"Microsoft", "Windows NT", "CurrentVersion"}), "Fonts",
           path(machine_, {"Software", "Microsoft", "Windows NT", "CurrentVersion", "Fonts"}));
  path(machine_, {"System", "CurrentControlSet", "Control"});
  currentConfig_ = path(machine_, {"System", "CurrentControlSet", "Hardware Profiles", "Current"});
  path(currentConfig_, {"Software"});
  path(currentConfig_, {"System"});
  path(users_, {".DEFAULT", "Software"});
  path(users_, {".DEFAULT", "Control Panel"});
  currentUser_ = path(users_, {kUserSid});
  userClasses_ = path(currentUser_, {"Software", "Classes"});
  path(currentUser_, {"Software", "Microsoft", "Windows", "CurrentVersion", "Run"});
  path(currentUser_, {"Environment"});
  NodePtr international = path(currentUser_, {"Control Panel", "International"});
  path(international, {"Geo"});
  // A stock installation names one key here by emoji.
  auto foreign = std::make_shared<Node>();
  foreign->key = ForeignKey(foreignCounter_++);
  foreign->foreign = true;
  foreign->parent = international.get();
  foreign->lastWrite = clock_++;
  foreign->values.push_back(Value{"Currencies", NameKey("Currencies"), kRegSz, std::string("USD\0", 4)});
  international->children.push_back(foreign);
}

SimRegistry::~SimRegistry() = default;

void SimRegistry::SetClock(std::uint64_t fileTime) {
  clock_ = fileTime;
}

void SimRegistry::SetMaxKeyNameLength(std::size_t length) {
  maxKeyNameLength_ = length;
}

std::size_t SimRegistry::OpenHandleCount() const {
  std::lock_guard lock(handleMutex_);
  return handles_.size();
}

void SimRegistry::Touch(Node& node) {
  node.lastWrite = clock_++;
}

SimRegistry::NodePtr SimRegistry::CreateChild(Node& parent, const std::string& name) {
  auto child = std::make_shared<Node>();
  child->name = name;
  child->key = NameKey(name);
  child->parent = &parent;
  Touch(*child);
  auto it = std::lower_bound(parent.children.begin(), parent.children.end(), child->key,
                             [](const NodePtr& n, const std::u16string& k) { return n->key < k; });
  parent.children.insert(it, child);
  Touch(parent);
  ++generation_;
  return child;
}

std::shared_ptr<SimRegistry::HandleEntry> SimRegistry::Lookup(RegHandle key) const {
  std::lock_guard lock(handleMutex_);
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second;
}

// The view of a base handle; roots resolve to their hives. Called with the
// tree locked.
RegStatus SimRegistry::ResolveBase(RegHandle base, View& view, std::shared_ptr<HandleEntry>* entry) const {
  view = View();
  if (entry) *entry = IsPredefinedKey(base) ? rootEntries_[base - kHkeyClassesRoot] : nullptr;
  switch (base) {
    case kHkeyClassesRoot:
      view.main = machineClasses_;
      view.overlay = userClasses_;
      view.classes = true;
      return kErrorSuccess;
    case kHkeyCurrentUser:
      view.main = currentUser_;
      return kErrorSuccess;
    case kHkeyLocalMachine:
      view.main = machine_;
      return kErrorSuccess;
    case kHkeyUsers:
      view.main = users_;
      return kErrorSuccess;
    case kHkeyCurrentConfig:
      view.main = currentConfig_;
      return kErrorSuccess;
    case kHkeyDynData:
      view.main = dynData_;
      return kErrorSuccess;
    case kHkeyPerformanceData:
      return kErrorInvalidHandle;
    default:
      break;
  }
  auto found = Lookup(base);
  if (!found) return kErrorInvalidHandle;
  if (entry) *entry = found;
  view = found->view.Live();
  return view.Exists() ? kErrorSuccess : kErrorKeyDeleted;
}

RegStatus SimRegistry::Walk(const View& base, const std::vector<std::string>& parts, View& result,
                            std::uint32_t access, bool followLastLink) const {
  result = base;
  const bool view32 = (access & kKeyWow64_32Key) != 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::u16string key = NameKey(parts[i]);
    const bool follow = followLastLink || i + 1 < parts.size();
    for (NodePtr* part : {&result.main, &result.overlay}) {
      if (!*part) continue;
      NodePtr child = LookupParent(*part, key, view32)->FindChildPtr(key);
      *part = follow ? FollowLinks(child) : child;
    }
    if (!result.Exists()) return kErrorFileNotFound;
  }
  return kErrorSuccess;
}

bool SimRegistry::MakeLink(Node& parent, const std::string& name, const NodePtr& target) {
  if (!target || parent.FindChild(NameKey(name))) return false;
  NodePtr link = CreateChild(parent, name);
  link->isLink = true;
  link->link = target;
  // The link's own value, as the system keeps it: the target's name in UTF-16.
  std::string data;
  for (char c : SystemName(target.get())) data += std::string{c, '\0'};
  link->values.push_back(Value{"SymbolicLinkValue", NameKey("SymbolicLinkValue"), kRegLink, data});
  return true;
}

bool SimRegistry::AddLink(RegHandle root, std::string_view path, RegHandle targetRoot,
                          std::string_view target) {
  std::unique_lock lock(treeMutex_);
  NodePtr targetNode;
  if (NodeAt(targetRoot, target, targetNode) != kErrorSuccess) return false;
  std::vector<std::string> parts;
  if (!SplitPath(path, parts) || parts.empty()) return false;
  const std::string name = parts.back();
  parts.pop_back();
  View base, parent;
  if (ResolveBase(root, base) != kErrorSuccess || Walk(base, parts, parent) != kErrorSuccess) return false;
  NodePtr node = parent.main ? parent.main : parent.overlay;
  return MakeLink(*node, name, targetNode);
}

RegStatus SimRegistry::QueryKeyName(RegHandle key, std::string& name) {
  name.clear();
  if (IsPredefinedKey(key)) return kErrorInvalidParameter;
  std::shared_lock lock(treeMutex_);
  View view;
  if (RegStatus status = ResolveBase(key, view); status != kErrorSuccess) return status;
  name = SystemName(view.Primary());
  return kErrorSuccess;
}

RegHandle SimRegistry::AddHandle(const View& view, std::uint32_t access) {
  auto entry = std::make_shared<HandleEntry>();
  entry->view = view;
  entry->access = access;
  std::lock_guard lock(handleMutex_);
  do {
    nextHandle_ = nextHandle_ >= 0x7FFFFFF0u ? 0x100 : nextHandle_ + 4;
  } while (handles_.count(nextHandle_) != 0);
  handles_[nextHandle_] = entry;
  return nextHandle_;
}

RegStatus SimRegistry::OpenKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key) {
  key = kNoKey;
  std::vector<std::string> parts;
  std::shared_lock lock(treeMutex_);
  View baseView;
  if (RegStatus status = ResolveBase(base, baseView); status != kErrorSuccess) return status;
  if (!SplitPath(path, parts)) return kErrorBadPathname;
  View view;
  if (RegStatus status = Walk(baseView, parts, view, access); status != kErrorSuccess) return status;
  if (!AllowedBy(view.Primary()->access, access)) return kErrorAccessDenied;
  key = AddHandle(view, access);
  return kErrorSuccess;
}

RegStatus SimRegistry::CreateKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key,
                                 bool* created) {
  key = kNoKey;
  if (created) *created = false;
  std::vector<std::string> parts;
  if (!SplitPath(path, parts)) return kErrorBadPathname;
  for (const auto& part : parts)
    if (part.size() > maxKeyNameLength_) return kErrorInvalidParameter;

  std::unique_lock lock(treeMutex_);
  View baseView;
  if (RegStatus status = ResolveBase(base, baseView); status != kErrorSuccess) return status;
  View view;
  if (Walk(baseView, parts, view, access) != kErrorSuccess) {
    // New keys go to the machine part of the classes root, unless the base
    // key exists only in the user's part.
    const bool view32 = (access & kKeyWow64_32Key) != 0;
    NodePtr node = baseView.main ? baseView.main : baseView.overlay;
    for (const auto& part : parts) {
      const std::u16string partKey = NameKey(part);
      NodePtr parent = LookupParent(node, partKey, view32);
      NodePtr child = parent->FindChildPtr(partKey);
      if (child) {
        child = FollowLinks(child);
        if (!child) return kErrorFileNotFound;  // a link to a key that is gone
      } else {
        if (parent->access != SimKeyAccess::kFull) return kErrorAccessDenied;
        child = CreateChild(*parent, part);
        if (created) *created = true;
      }
      node = child;
    }
    View fresh;
    Walk(baseView, parts, fresh, access);
    view = fresh;
  }
  if (!AllowedBy(view.Primary()->access, access)) return kErrorAccessDenied;
  key = AddHandle(view, access);
  return kErrorSuccess;
}

RegStatus SimRegistry::CloseKey(RegHandle key) {
  if (IsPredefinedKey(key)) return kErrorSuccess;
  std::lock_guard lock(handleMutex_);
  return handles_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

namespace {

// Access a handle must hold for an operation; roots hold every right.
bool Holds(RegHandle key, std::uint32_t granted, std::uint32_t needed) {
  return IsPredefinedKey(key) || (granted & needed) == needed;
}

}  // namespace

std::shared_ptr<const std::vector<SimRegistry::NodePtr>> SimRegistry::MergedChildren(HandleEntry& entry,
                                                                                     const View& view) const {
  std::lock_guard lock(entry.cacheMutex);
  if (!entry.cache || entry.cacheGeneration != generation_) {
    auto merged = std::make_shared<std::vector<NodePtr>>();
    const auto& a = view.overlay->children;
    const auto& b = view.main->children;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
      if (j == b.size() || (i < a.size() && a[i]->key < b[j]->key)) {
        merged->push_back(a[i++]);
      } else if (i == a.size() || b[j]->key < a[i]->key) {
        merged->push_back(b[j++]);
      } else {
        merged->push_back(a[i++]);  // the user's key shows its own spelling
        ++j;
      }
    }
    entry.cache = std::move(merged);
    entry.cacheGeneration = generation_;
  }
  return entry.cache;
}

RegStatus SimRegistry::QueryKeyInfo(RegHandle key, RegKeyInfo& info) {
  info = RegKeyInfo();
  std::shared_lock lock(treeMutex_);
  View view;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeyQueryValue)) return kErrorAccessDenied;
  Describe(*entry, view, info);
  return kErrorSuccess;
}

// The sub-key at index of the key behind the handle, and that key's view.
// The caller holds the tree lock.
RegStatus SimRegistry::SubKeyAt(RegHandle key, std::uint32_t index, View& view, const Node*& child) {
  child = nullptr;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  if (view.main && view.overlay) {
    const auto merged = MergedChildren(*entry, view);
    if (index < merged->size()) child = (*merged)[index].get();
  } else {
    const auto& children = view.Primary()->children;
    if (index < children.size()) child = children[index].get();
  }
  return child ? kErrorSuccess : kErrorNoMoreItems;
}

RegStatus SimRegistry::QuerySubKeyInfo(RegHandle key, std::uint32_t index, RegKeyInfo& info) {
  info = RegKeyInfo();
  std::shared_lock lock(treeMutex_);
  View view;
  const Node* child = nullptr;
  if (RegStatus status = SubKeyAt(key, index, view, child); status != kErrorSuccess) return status;
  // The sub-key as its own handle would see it (both parts of a classes
  // view), whatever its own access rules say; a name outside the code page
  // does not matter here.
  View childView;
  if (view.main) childView.main = view.main->FindChildPtr(child->key);
  if (view.overlay) childView.overlay = view.overlay->FindChildPtr(child->key);
  childView.classes = view.classes;
  if (!childView.Exists()) return kErrorNoMoreItems;
  HandleEntry described;
  described.view = childView;
  Describe(described, childView, info);
  return kErrorSuccess;
}

void SimRegistry::Describe(HandleEntry& entry, const View& view, RegKeyInfo& info) const {
  auto countChild = [&info](const Node& child) {
    ++info.subKeys;
    info.maxSubKeyLength = std::max<std::uint32_t>(
        info.maxSubKeyLength,
        child.foreign ? kForeignNameLength : static_cast<std::uint32_t>(child.name.size()));
  };
  if (view.main && view.overlay) {
    for (const auto& child : *MergedChildren(entry, view)) countChild(*child);
  } else {
    for (const auto& child : view.Primary()->children) countChild(*child);
  }

  std::vector<std::u16string> seen;
  auto countValues = [&](const Node* node) {
    if (!node) return;
    for (const auto& value : node->values) {
      if (std::find(seen.begin(), seen.end(), value.key) != seen.end()) continue;
      seen.push_back(value.key);
      ++info.values;
      info.maxValueNameLength = std::max<std::uint32_t>(
          info.maxValueNameLength,
          value.foreignName ? kForeignNameLength : static_cast<std::uint32_t>(value.name.size()));
      info.maxValueDataSize =
          std::max<std::uint32_t>(info.maxValueDataSize, static_cast<std::uint32_t>(value.data.size()));
    }
  };
  countValues(view.overlay.get());
  countValues(view.main.get());
  info.lastWriteTime =
      std::max(view.main ? view.main->lastWrite : 0, view.overlay ? view.overlay->lastWrite : 0);
}

RegStatus SimRegistry::EnumKey(RegHandle key, std::uint32_t index, std::string& name) {
  name.clear();
  std::shared_lock lock(treeMutex_);
  View view;
  const Node* child = nullptr;
  if (RegStatus status = SubKeyAt(key, index, view, child); status != kErrorSuccess) return status;
  if (child->foreign) return kErrorNoUnicodeTranslation;
  name = child->name;
  return kErrorSuccess;
}

// The value a read of name sees, and the key that holds it.
const SimRegistry::Node* SimRegistry::ValueOwner(const View& view, const std::string& name,
                                                 const Value** value) {
  const std::u16string key = NameKey(name);
  for (Node* node : {view.overlay.get(), view.main.get()}) {
    if (!node) continue;
    if (Value* found = node->FindValue(key)) {
      *value = found;
      return node;
    }
  }
  *value = nullptr;
  return nullptr;
}

RegStatus SimRegistry::EnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                                 std::string* data) {
  name.clear();
  if (data) data->clear();
  std::shared_lock lock(treeMutex_);
  View view;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeyQueryValue)) return kErrorAccessDenied;

  const Value* found = nullptr;
  std::uint32_t position = 0;
  for (const Node* node : {view.overlay.get(), view.main.get()}) {
    if (!node || found) continue;
    for (const auto& value : node->values) {
      // A machine value hidden by the user's value of the same name is not listed.
      if (node == view.main.get() && view.overlay && view.overlay->FindValue(value.key)) continue;
      if (position++ == index) {
        found = &value;
        break;
      }
    }
  }
  if (!found) return kErrorNoMoreItems;
  if (found->foreignName) return kErrorNoUnicodeTranslation;
  name = found->name;
  if (data && found->foreignData) return kErrorNoUnicodeTranslation;
  if (type) *type = found->type;
  if (data) *data = found->data;
  return kErrorSuccess;
}

RegStatus SimRegistry::QueryValue(RegHandle key, std::string_view name, std::uint32_t* type,
                                  std::string* data) {
  if (data) data->clear();
  std::shared_lock lock(treeMutex_);
  View view;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeyQueryValue)) return kErrorAccessDenied;
  const Value* value = nullptr;
  if (!ValueOwner(view, std::string(name), &value)) return kErrorFileNotFound;
  if (value->foreignData) return kErrorNoUnicodeTranslation;
  if (type) *type = value->type;
  if (data) *data = value->data;
  return kErrorSuccess;
}

RegStatus SimRegistry::SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                                std::string_view data) {
  std::unique_lock lock(treeMutex_);
  View view;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeySetValue)) return kErrorAccessDenied;
  Node* node = view.Primary();
  if (node->access != SimKeyAccess::kFull) return kErrorAccessDenied;
  const std::u16string valueKey = NameKey(name);
  Value* value = node->FindValue(valueKey);
  if (!value) {
    node->values.push_back(Value{std::string(name), valueKey, kRegNone, {}});
    value = &node->values.back();
  }
  value->type = type;
  value->data.assign(data);
  value->foreignData = false;
  Touch(*node);
  return kErrorSuccess;
}

RegStatus SimRegistry::DeleteKey(RegHandle base, std::string_view path) {
  std::vector<std::string> parts;
  std::unique_lock lock(treeMutex_);
  View baseView;
  if (RegStatus status = ResolveBase(base, baseView); status != kErrorSuccess) return status;
  if (!SplitPath(path, parts)) return kErrorBadPathname;
  View view;
  // A link is deleted itself, not the key it leads to.
  if (RegStatus status = Walk(baseView, parts, view, 0, false); status != kErrorSuccess) return status;
  Node* node = view.Primary();
  if (!node->parent || node->access != SimKeyAccess::kFull || !node->children.empty())
    return kErrorAccessDenied;
  Node& parent = *node->parent;
  auto it = std::find_if(parent.children.begin(), parent.children.end(),
                         [node](const NodePtr& child) { return child.get() == node; });
  if (it == parent.children.end()) return kErrorFileNotFound;
  node->deleted = true;
  node->parent = nullptr;
  parent.children.erase(it);
  Touch(parent);
  ++generation_;
  return kErrorSuccess;
}

RegStatus SimRegistry::DeleteValue(RegHandle key, std::string_view name) {
  std::unique_lock lock(treeMutex_);
  View view;
  std::shared_ptr<HandleEntry> entry;
  if (RegStatus status = ResolveBase(key, view, &entry); status != kErrorSuccess) return status;
  if (!Holds(key, entry->access, kKeySetValue)) return kErrorAccessDenied;
  const std::u16string valueKey = NameKey(name);
  for (Node* node : {view.overlay.get(), view.main.get()}) {
    if (!node) continue;
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&valueKey](const Value& v) { return v.key == valueKey; });
    if (it == node->values.end()) continue;
    if (node->access != SimKeyAccess::kFull) return kErrorAccessDenied;
    node->values.erase(it);
    Touch(*node);
    return kErrorSuccess;
  }
  return kErrorFileNotFound;
}

RegStatus SimRegistry::FlushKey(RegHandle key) {
  std::shared_lock lock(treeMutex_);
  View view;
  return ResolveBase(key, view);
}

RegStatus SimRegistry::NodeAt(RegHandle root, std::string_view path, NodePtr& node) const {
  View base;
  if (RegStatus status = ResolveBase(root, base); status != kErrorSuccess) return status;
  std::vector<std::string> parts;
  if (!SplitPath(path, parts)) return kErrorBadPathname;
  View view;
  if (RegStatus status = Walk(base, parts, view); status != kErrorSuccess) return status;
  node = view.overlay ? view.overlay : view.main;
  return kErrorSuccess;
}

bool SimRegistry::SetKeyAccess(RegHandle root, std::string_view path, SimKeyAccess access) {
  std::unique_lock lock(treeMutex_);
  NodePtr node;
  if (NodeAt(root, path, node) != kErrorSuccess) return false;
  node->access = access;
  return true;
}

bool SimRegistry::AddForeignKey(RegHandle root, std::string_view path) {
  std::unique_lock lock(treeMutex_);
  NodePtr parent;
  if (NodeAt(root, path, parent) != kErrorSuccess) return false;
  auto child = std::make_shared<Node>();
  child->key = ForeignKey(foreignCounter_++);
  child->foreign = true;
  child->parent = parent.get();
  Touch(*child);
  parent->children.push_back(child);  // foreign keys sort last
  Touch(*parent);
  ++generation_;
  return true;
}

bool SimRegistry::AddForeignValue(RegHandle root, std::string_view path) {
  std::unique_lock lock(treeMutex_);
  NodePtr node;
  if (NodeAt(root, path, node) != kErrorSuccess) return false;
  node->values.push_back(Value{"", ForeignKey(foreignCounter_++), kRegSz, std::string("x\0", 2), true});
  Touch(*node);
  return true;
}

bool SimRegistry::SetForeignTextValue(RegHandle root, std::string_view path, std::string_view name) {
  std::unique_lock lock(treeMutex_);
  NodePtr node;
  if (NodeAt(root, path, node) != kErrorSuccess) return false;
  const std::u16string valueKey = NameKey(name);
  Value* value = node->FindValue(valueKey);
  if (!value) {
    node->values.push_back(Value{std::string(name), valueKey, kRegNone, {}});
    value = &node->values.back();
  }
  value->type = kRegSz;
  value->data.assign("?\0", 2);
  value->foreignData = true;
  Touch(*node);
  return true;
}

}  // namespace vp::platform::sim
