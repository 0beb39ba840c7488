// The documents shipped in "Documentation\": each page is well-formed HTML,
// every relative link and anchor resolves, and the licence text beside the
// program says what the repository's LICENSE says.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(VP_TEST_DATA_DIR) / ".." / "..";
const fs::path kDocuments = kSourceRoot / "data" / "Documentation";

struct Page {
  std::vector<std::string> problems;
  std::set<std::string> ids;
  std::vector<std::string> links;  // href and src values
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A small checker for the plain HTML these pages use: every element closed in
// order (void elements excepted), attribute values quoted, every '&' an
// entity, ids unique.
Page ParsePage(const std::string& html) {
  static const std::set<std::string> kVoid = {"meta", "link", "br", "hr", "img", "input"};
  Page page;
  std::vector<std::string> open;
  size_t pos = 0;
  auto problem = [&](const std::string& what) {
    page.problems.push_back(what + " at offset " + std::to_string(pos));
  };
  while (pos < html.size()) {
    const char c = html[pos];
    if (c == '&') {
      const size_t semi = html.find(';', pos);
      const std::string entity = semi == std::string::npos ? "" : html.substr(pos + 1, semi - pos - 1);
      static const std::set<std::string> kEntities = {"amp", "lt", "gt", "quot", "nbsp", "#39"};
      if (!kEntities.count(entity)) problem("bare '&'");
      ++pos;
      continue;
    }
    if (c != '<') {
      ++pos;
      continue;
    }
    const size_t end = html.find('>', pos);
    if (end == std::string::npos) {
      problem("unclosed tag");
      break;
    }
    std::string tag = html.substr(pos + 1, end - pos - 1);
    if (tag.rfind("!DOCTYPE", 0) == 0 || tag.rfind("!--", 0) == 0) {
      pos = end + 1;
      continue;
    }
    const bool closing = !tag.empty() && tag[0] == '/';
    if (closing) tag.erase(0, 1);
    size_t nameEnd = 0;
    while (nameEnd < tag.size() && std::isalnum(static_cast<unsigned char>(tag[nameEnd]))) ++nameEnd;
    const std::string name = Lower(tag.substr(0, nameEnd));
    if (name.empty()) problem("empty tag name");
    if (closing) {
      if (open.empty() || open.back() != name)
        problem("</" + name + "> closes <" + (open.empty() ? "" : open.back()) + ">");
      else
        open.pop_back();
    } else {
      // Attributes: name="value" pairs.
      size_t a = nameEnd;
      while (a < tag.size()) {
        while (a < tag.size() && tag[a] == ' ') ++a;
        if (a >= tag.size()) break;
        const size_t eq = tag.find('=', a);
        if (eq == std::string::npos || eq + 1 >= tag.size() || tag[eq + 1] != '"') {
          problem("unquoted attribute in <" + name + ">");
          break;
        }
        const size_t close = tag.find('"', eq + 2);
        if (close == std::string::npos) {
          problem("unterminated attribute in <" + name + ">");
          break;
        }
        const std::string attribute = Lower(tag.substr(a, eq - a));
        const std::string value = tag.substr(eq + 2, close - eq - 2);
        if (attribute == "id" && !page.ids.insert(value).second) problem("duplicate id " + value);
        if (attribute == "href" || attribute == "src") page.links.push_back(value);
        a = close + 1;
      }
      if (!kVoid.count(name)) open.push_back(name);
    }
    pos = end + 1;
  }
  if (!open.empty()) problem("<" + open.back() + "> never closed");
  return page;
}

std::string DecodePercent(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

const std::vector<std::string> kPages = {"reg_tools.html", "backuptool.html", "FAQ.html"};

TEST(DocumentsTest, CheckerFindsFaults) {
  const struct {
    const char* html;
    bool sound;
  } cases[] = {
      {"<p>a <b>b</b> &amp; c<br></p>", true},
      {"<p><b>a</p></b>", false},
      {"<p>a & b</p>", false},
      {"<a href=x.html>a</a>", false},
      {"<p id=\"a\"></p><p id=\"a\"></p>", false},
      {"<div><p>a</p>", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ParsePage(c.html).problems.empty(), c.sound) << c.html;
}

TEST(DocumentsTest, PagesAreWellFormedAndTheirLinksResolve) {
  std::map<std::string, Page> pages;
  for (const std::string& name : kPages) {
    const std::string html = vp::test::HostFileBytes(kDocuments / "html" / name);
    ASSERT_FALSE(html.empty()) << name;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << name;
    EXPECT_NE(html.find("<title>"), std::string::npos) << name;
    pages[name] = ParsePage(html);
    for (const std::string& problem : pages[name].problems) ADD_FAILURE() << name << ": " << problem;
  }
  for (const auto& [name, page] : pages) {
    for (const std::string& link : page.links) {
      SCOPED_TRACE(name + " -> " + link);
      // Shipped pages open offline: no link leaves the documents.
      EXPECT_EQ(link.find("://"), std::string::npos);
      const size_t hash = link.find('#');
      const std::string file = DecodePercent(link.substr(0, hash));
      const std::string target = file.empty() ? name : file;
      EXPECT_TRUE(fs::is_regular_file(kDocuments / "html" / target));
      if (hash != std::string::npos) {
        ASSERT_TRUE(pages.count(target)) << "an anchor into a file that is not a page";
        EXPECT_TRUE(pages.at(target).ids.count(link.substr(hash + 1)));
      }
    }
  }
}

TEST(DocumentsTest, LicenceBesideTheProgramIsTheRepositorysLicence) {
  std::string shipped = vp::test::HostFileBytes(kDocuments / "License Agreement.txt");
  const std::string repository = vp::test::HostFileBytes(kSourceRoot / "LICENSE");
  ASSERT_NE(repository.find("MIT License"), std::string::npos);
  ASSERT_NE(repository.find("the Veltaro Pro authors"), std::string::npos);
  // It opens in the system's text editor: CR LF throughout.
  std::string lf;
  for (size_t i = 0; i < shipped.size(); ++i) {
    if (shipped[i] == '\n') {
      EXPECT_TRUE(i > 0 && shipped[i - 1] == '\r') << "bare LF at " << i;
    }
    if (shipped[i] != '\r') lf += shipped[i];
  }
  EXPECT_NE(lf.find(repository), std::string::npos);
}

}  // namespace
