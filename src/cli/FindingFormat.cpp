#include "cli/FindingFormat.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "files/CodePage1252.h"
#include "files/StringTools.h"
#include "scanner/FindingTexts.h"

namespace vp::cli {

namespace {

constexpr std::string_view kSeparator = " | ";

void AppendField(std::string& json, std::string_view name, std::string_view value) {
  json += json.size() > 1 ? "," : "";
  json += JsonString(name);
  json += ':';
  json += value;
}

// Does the line choose this finding?
bool Chooses(std::string_view line, const TNewItem& item, const TCleanerLanguage& texts) {
  const std::string wanted = SelectionLine(item, texts);
  if (line.size() < wanted.size()) return false;
  if (!SameText(line.substr(0, item.FullPath.size()), item.FullPath)) return false;
  if (line.substr(item.FullPath.size(), wanted.size() - item.FullPath.size()) !=
      std::string_view(wanted).substr(item.FullPath.size()))
    return false;
  const std::string_view rest = line.substr(wanted.size());
  return rest.empty() || rest.substr(0, kSeparator.size()) == kSeparator;
}

}  // namespace

std::string TableRow(const TNewItem& item, const TCleanerLanguage& texts) {
  return SelectionLine(item, texts) + std::string(kSeparator) + ProblemText(item, texts);
}

std::string SelectionLine(const TNewItem& item, const TCleanerLanguage& texts) {
  return item.FullPath + std::string(kSeparator) + EntryText(item, texts);
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char16_t unit : Cp1252ToUtf16(text)) {
    if (unit == u'"' || unit == u'\\') {
      json += '\\';
      json += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7F) {
      json += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
      json += escape;
    }
  }
  json += '"';
  return json;
}

std::string JsonLine(const TNewItem& item, const TCleanerLanguage& texts) {
  std::string json = "{";
  AppendField(json, "key", JsonString(item.FullPath));
  AppendField(json, "root", JsonString(item.RootName));
  AppendField(json, "key_path", JsonString(item.KeyPath));
  AppendField(json, "whole_key", item.WholeKey ? "true" : "false");
  AppendField(json, "value", JsonString(EntryText(item, texts)));
  AppendField(json, "data", JsonString(DataText(item, texts)));
  AppendField(json, "code", std::to_string(item.ProblemCode));
  AppendField(json, "problem", JsonString(ProblemText(item, texts)));
  AppendField(json, "severity", std::to_string(item.SeverityLevel));
  AppendField(json, "detail", JsonString(DetailText(item, texts)));
  AppendField(json, "ignored", item.Ignored ? "true" : "false");
  json += '}';
  return json;
}

std::vector<std::string_view> SelectionLines(std::string_view fileText, std::string_view header) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < fileText.size()) {
    size_t end = fileText.find('\n', start);
    if (end == std::string_view::npos) end = fileText.size();
    std::string_view line = fileText.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Trim(line).empty() || line.front() == '#' || (!header.empty() && line == header)) continue;
    lines.push_back(line);
  }
  return lines;
}

std::optional<std::string> ReadSelectionFile(const std::string& path, std::string_view command,
                                             std::ostream& err) {
  if (path.empty()) return std::string();
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    err << "veltaro " << command << ": cannot read " << path << '\n';
    return std::nullopt;
  }
  return text.str();
}

Selection SelectFindings(std::string_view fileText, const std::vector<TNewItem>& findings,
                         const TCleanerLanguage& texts) {
  Selection selection;
  std::vector<bool> taken(findings.size(), false);
  for (std::string_view line : SelectionLines(fileText, kTableHeader)) {
    bool matched = false;
    for (size_t i = 0; i < findings.size(); ++i) {
      if (Chooses(line, findings[i], texts)) {
        taken[i] = true;
        matched = true;
      }
    }
    if (!matched) selection.unmatched.emplace_back(line);
  }
  for (size_t i = 0; i < findings.size(); ++i)
    if (taken[i]) selection.chosen.push_back(findings[i]);
  return selection;
}

}  // namespace vp::cli
