#include "settings/IniTools.h"

#include "files/FileTools.h"
#include "files/StringTools.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "settings/BigIni.h"

namespace vp {

std::string ReadIniString(std::string_view file, std::string_view section, std::string_view key) {
  TBigIniFile ini(file);
  return ini.ReadString(section, key, {});
}

bool WriteIniString(std::string_view file, std::string_view section, std::string_view key,
                    std::string_view value) {
  if (!platform::Files().Attributes(file)) CreateEmptyFile(file);
  ClearFileAttribute(file, platform::kAttrReadOnly);
  TBigIniFile ini(file);
  ini.WriteString(section, key, value);
  return ini.FlushFile();
}

TFileTools::TFileTools() : ini_(std::make_unique<TBigIniFile>()) {}

TFileTools::~TFileTools() = default;

std::string TFileTools::ReadIniText(std::string_view file, std::string_view section, std::string_view key) {
  auto attributes = platform::Files().Attributes(file);
  if (!attributes || (*attributes & platform::kAttrDirectory) != 0) return std::string();
  const platform::FileTime modified = platform::Files().ModifiedTime(file).value_or(0);
  if (loadedFrom_ != file || loadedTime_ < modified) {
    ini_ = std::make_unique<TBigIniFile>(file);
    loadedFrom_ = std::string(file);
    loadedTime_ = modified;
  }
  std::string value = Trim(ini_->ReadString(section, key, {}));
  if (const size_t comment = value.find("//"); comment != std::string::npos)
    value = Trim(value.substr(0, comment));
  for (int at = PosEx("<br>", value); at > 0; at = PosEx("<br>", value, at + 2))
    value.replace(static_cast<size_t>(at - 1), 4, "\r\n");
  return value;
}

bool TFunctionCacher::Lookup(std::string_view key, std::string& value) const {
  auto it = values_.find(platform::Sys().LowerCase(key));
  if (it == values_.end()) {
    value.clear();
    return false;
  }
  value = it->second;
  return true;
}

void TFunctionCacher::Store(std::string_view key, std::string_view value) {
  values_[platform::Sys().LowerCase(key)] = std::string(value);
}

}  // namespace vp
