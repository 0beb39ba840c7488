#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace vp::platform::sim {

// What a key allows beyond its existence (a stand-in for its security).
enum class SimKeyAccess {
  kFull,      // open with any access
  kReadOnly,  // open for reading only; writing, creating below and deleting are refused
  kNoOpen,    // every open is refused; the key still enumerates
};

// An in-memory registry with the semantics of the Windows one:
// - the predefined roots (HKEY_DYN_DATA empty, HKEY_PERFORMANCE_DATA not
//   available); HKEY_CURRENT_USER is a view of HKEY_USERS\<kUserSid>,
//   HKEY_CURRENT_CONFIG of the current hardware profile below HKLM\System;
// - HKEY_CLASSES_ROOT merges HKLM\Software\Classes with HKCU\Software\Classes
//   over it: reads see the user's key first, enumerations list both (sorted,
//   each name once), values are written to the user's key when it exists and
//   new keys are created in the machine part;
// - names compare without regard to case (code page 1252 case mapping) and
//   keep the case they were created with; sub-keys enumerate in sorted order,
//   values in creation order;
// - a key with sub-keys cannot be deleted; a handle whose key was deleted
//   answers kErrorKeyDeleted;
// - the 32-bit view below the Wow6432Node keys of HKLM\Software and of the
//   machine's and the user's classes, with links to the keys both views
//   share, laid out as a stock 64-bit installation has them (Registry.h);
//   a link lists and describes itself, and every open follows it;
// - safe for any number of reading threads and writers at once.
class SimRegistry : public Registry {
 public:
  static constexpr const char* kUserSid = "S-1-5-21-1004336348-1177238915-682003330-1000";

  SimRegistry();
  ~SimRegistry() override;
  SimRegistry(const SimRegistry&) = delete;
  SimRegistry& operator=(const SimRegistry&) = delete;

  RegStatus OpenKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key) override;
  RegStatus CreateKey(RegHandle base, std::string_view path, std::uint32_t access, RegHandle& key,
                      bool* created = nullptr) override;
  RegStatus CloseKey(RegHandle key) override;
  RegStatus QueryKeyInfo(RegHandle key, RegKeyInfo& info) override;
  RegStatus QuerySubKeyInfo(RegHandle key, std::uint32_t index, RegKeyInfo& info) override;
  RegStatus EnumKey(RegHandle key, std::uint32_t index, std::string& name) override;
  RegStatus EnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type = nullptr,
                      std::string* data = nullptr) override;
  RegStatus QueryValue(RegHandle key, std::string_view name, std::uint32_t* type, std::string* data) override;
  RegStatus SetValue(RegHandle key, std::string_view name, std::uint32_t type,
                     std::string_view data) override;
  RegStatus DeleteKey(RegHandle base, std::string_view path) override;
  RegStatus DeleteValue(RegHandle key, std::string_view name) override;
  RegStatus FlushKey(RegHandle key) override;
  RegStatus QueryKeyName(RegHandle key, std::string& name) override;

  // ---- test hooks; paths are below a predefined root, as for OpenKey.

  // Marks an existing key; false when it does not exist.
  bool SetKeyAccess(RegHandle root, std::string_view path, SimKeyAccess access);

  // Adds below an existing key a sub-key, or a value, whose name has no form
  // in the code page (as a name written in emoji). It enumerates with
  // kErrorNoUnicodeTranslation and no 8-bit name reaches it.
  bool AddForeignKey(RegHandle root, std::string_view path);
  bool AddForeignValue(RegHandle root, std::string_view path);
  // Adds or replaces a text value whose data has no form in the code page:
  // queries of it answer kErrorNoUnicodeTranslation.
  bool SetForeignTextValue(RegHandle root, std::string_view path, std::string_view name);

  // Makes the new key at path a link to the existing key at target (a path
  // below HKEY_LOCAL_MACHINE or HKEY_USERS); false when the link's parent or
  // the target does not exist, or something is already at path.
  bool AddLink(RegHandle root, std::string_view path, RegHandle targetRoot, std::string_view target);

  // Last-write times come from a counter that advances one tick per change;
  // this sets it.
  void SetClock(std::uint64_t fileTime);

  // The longest key name accepted (255 as on Windows; Wine accepts 256).
  void SetMaxKeyNameLength(std::size_t length);

  // Handles currently open (roots excluded).
  std::size_t OpenHandleCount() const;

 private:
  struct Node;
  struct Value;
  struct View;
  struct HandleEntry;
  using NodePtr = std::shared_ptr<Node>;

  std::shared_ptr<HandleEntry> Lookup(RegHandle key) const;
  RegStatus ResolveBase(RegHandle base, View& view, std::shared_ptr<HandleEntry>* entry = nullptr) const;
  RegStatus Walk(const View& base, const std::vector<std::string>& parts, View& result,
                 std::uint32_t access = 0, bool followLastLink = true) const;
  bool MakeLink(Node& parent, const std::string& name, const NodePtr& target);
  static NodePtr FollowLinks(NodePtr node);
  static NodePtr LookupParent(const NodePtr& node, const std::u16string& part, bool view32);
  static std::string SystemName(const Node* node);
  RegHandle AddHandle(const View& view, std::uint32_t access);
  NodePtr CreateChild(Node& parent, const std::string& name);
  void Touch(Node& node);
  RegStatus NodeAt(RegHandle root, std::string_view path, NodePtr& node) const;
  std::shared_ptr<const std::vector<NodePtr>> MergedChildren(HandleEntry& entry, const View& view) const;
  void Describe(HandleEntry& entry, const View& view, RegKeyInfo& info) const;
  RegStatus SubKeyAt(RegHandle key, std::uint32_t index, View& view, const Node*& child);
  static const Node* ValueOwner(const View& view, const std::string& name, const Value** value);

  // A reader-writer lock that lets a waiting writer in: the system's shared
  // mutex may prefer readers, and sixteen busy readers would starve a writer.
  class TreeLock {
   public:
    void lock() {
      std::lock_guard gate(gate_);
      mutex_.lock();
    }
    void unlock() { mutex_.unlock(); }
    void lock_shared() {
      { std::lock_guard gate(gate_); }
      mutex_.lock_shared();
    }
    void unlock_shared() { mutex_.unlock_shared(); }

   private:
    std::mutex gate_;
    std::shared_mutex mutex_;
  };

  mutable TreeLock treeMutex_;
  NodePtr machine_;
  NodePtr users_;
  NodePtr dynData_;
  NodePtr currentUser_;
  NodePtr currentConfig_;
  NodePtr machineClasses_;
  NodePtr userClasses_;
  std::uint64_t generation_ = 0;  // advances with every change of a key's set of sub-keys
  std::uint32_t foreignCounter_ = 0;
  std::atomic<std::uint64_t> clock_;
  std::atomic<std::size_t> maxKeyNameLength_{255};

  std::shared_ptr<HandleEntry> rootEntries_[7];

  mutable std::mutex handleMutex_;
  std::unordered_map<RegHandle, std::shared_ptr<HandleEntry>> handles_;
  RegHandle nextHandle_ = 0x100;
};

}  // namespace vp::platform::sim
