// Shortcut targets and shell folders, through the shell's own interfaces.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <objidl.h>
#include <shlobj.h>

#include <utility>

#include "platform/win32/CodePage.h"
#include "platform/win32/Win32System.h"

namespace vp::platform::win32 {
namespace {

// The component library on the calling thread for one call's length. A
// thread already initialised in the other threading model keeps it: the
// shell link object works in either.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

// One reference to a component object, released with the owner.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(ComRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&object_);
  }

 private:
  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }
  Interface* object_ = nullptr;
};

// Longer than any path or argument string the shell stores.
constexpr int kTextUnits = 32768;

}  // namespace

std::optional<ShortcutTarget> Win32System::ResolveShortcut(std::string_view file) const {
  auto wide = ToWide(file);
  if (!wide || wide->empty()) return std::nullopt;
  ComApartment apartment;
  if (!apartment.Usable()) return std::nullopt;
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.Out())) ||
      FAILED(persist->Load(wide->c_str(), STGM_READ)))
    return std::nullopt;
  std::wstring text(kTextUnits, L'\0');
  // S_FALSE: the shortcut has no file-system target.
  if (link->GetPath(text.data(), kTextUnits, nullptr, 0) != S_OK) return std::nullopt;
  // A question mark is no part of any file name: it stands where a shortcut
  // written without its wide path lost a character the code page lacks.
  auto path = FromWide(std::wstring_view(text.c_str()));
  if (!path || path->empty() || path->find('?') != std::string::npos) return std::nullopt;
  text.assign(kTextUnits, L'\0');
  if (FAILED(link->GetArguments(text.data(), kTextUnits))) return std::nullopt;
  auto arguments = FromWide(std::wstring_view(text.c_str()));
  if (!arguments) return std::nullopt;
  return ShortcutTarget{std::move(*path), std::move(*arguments)};
}

std::optional<std::string> Win32System::ShellFolderPath(ShellFolder folder) const {
  const KNOWNFOLDERID& id = folder == ShellFolder::Startup ? FOLDERID_Startup : FOLDERID_CommonStartup;
  wchar_t* path = nullptr;
  // The folder's path whether or not it exists yet.
  const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
  std::optional<std::string> narrow;
  if (SUCCEEDED(result) && path != nullptr) narrow = FromWide(std::wstring_view(path));
  CoTaskMemFree(path);
  if (narrow && narrow->empty()) return std::nullopt;
  return narrow;
}

}  // namespace vp::platform::win32
