#pragma once

#include <string>
#include <string_view>

#include "platform/System.h"

namespace vp {

// The version resource of one program file, read when the file is given:
// its first translation (eight hexadecimal digits) and the strings the
// program shows to describe it, each empty when absent.
class TAppVerInfo {
 public:
  explicit TAppVerInfo(std::string fileName);

  const std::string& FileName() const { return fileName_; }
  // Reads the resource of another file.
  void SetFileName(std::string fileName);

  // False when the file is missing or carries no version resource.
  bool HasVersionInfo() const { return found_; }
  const std::string& Translation() const { return info_.translation; }

  std::string CompanyName() const { return String("CompanyName"); }
  std::string FileDescription() const { return String("FileDescription"); }
  std::string FileVersion() const { return String("FileVersion"); }
  std::string LegalCopyright() const { return String("LegalCopyright"); }
  std::string OriginalFilename() const { return String("OriginalFilename"); }
  std::string Comments() const { return String("Comments"); }

 private:
  std::string String(std::string_view name) const;

  std::string fileName_;
  bool found_ = false;
  platform::FileVersionInfo info_;
};

}  // namespace vp
