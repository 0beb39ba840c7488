#pragma once

// Stateless text functions shared by the scanner, the file tools, the registry
// layer, the manager views, the backup writer and the window.
//
// All text is 8-bit in the system code page. Positions are 1-based; 0 means
// "not found". Case-insensitive comparison and search go through one fixed
// upper-case table that does not depend on the system locale; the functions
// documented as using the system case mapping go through the platform seam.

#include <array>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace vp {

using StringList = std::vector<std::string>;

// ---------------------------------------------------------------- fixed case table

// The fixed upper-case table: a-z onto A-Z and the lower-case letters of the
// Windows-1251 code page onto their capitals (224..255 onto 192..223 and the
// pairs 131/129, 144/128, 154/138, 156/140, 157/141, 158/142, 159/143,
// 162/161, 179/178, 180/165, 184/168, 186/170, 188/163, 190/189, 191/175).
// Every other byte maps to itself.
unsigned char FixedUpper(unsigned char c);
inline char FixedUpper(char c) {
  return static_cast<char>(FixedUpper(static_cast<unsigned char>(c)));
}

// The text with every byte mapped through the fixed table.
std::string FixedUpperText(std::string_view text);

// ---------------------------------------------------------------- comparison and search

// A set of bytes to search for: one table lookup per byte of the text, where
// the library's find_first_of / find_last_of run a memchr over the set for
// every byte (and the Windows runtime's memchr goes byte by byte).
class TByteSet {
 public:
  constexpr explicit TByteSet(std::string_view bytes) {
    for (char c : bytes) bits_[static_cast<unsigned char>(c)] = true;
  }
  constexpr bool Has(char c) const { return bits_[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> bits_{};
};

// Index of the first / last byte of text in the set (the first at or after
// from); npos when none.
size_t FindFirstOf(std::string_view text, const TByteSet& set, size_t from = 0);
size_t FindLastOf(std::string_view text, const TByteSet& set);

// Case flag of PosEx and IndexOfContained: 1 compares bytes exactly, any other
// value compares through the fixed table.
constexpr int kMatchCase = 1;
constexpr int kIgnoreCase = 0;

// Same length and every byte pair equal through the fixed table.
bool SameText(std::string_view a, std::string_view b);

// SameText after removing one trailing backslash from each side.
bool SamePath(std::string_view a, std::string_view b);

// Position of the first occurrence of needle in text at or after start (a
// start below 1 counts as 1); 0 when not found or when either text is empty.
int PosEx(std::string_view needle, std::string_view text, int start = 1, int caseFlag = kIgnoreCase);

// Index of the first entry of list that occurs inside text (PosEx from 1 with
// the case flag), or -1. Empty entries never match.
int IndexOfContained(const StringList& list, std::string_view text, int caseFlag = kIgnoreCase);

// Position of the last occurrence, without regard to case (occurrences may
// overlap); 0 when none.
int LastPos(std::string_view needle, std::string_view text);

// Number of non-overlapping occurrences of needle in text, without regard to
// case; 0 for an empty needle.
int CountOccurrences(std::string_view needle, std::string_view text);

// The text equals its upper-case form and differs from its lower-case form
// (system case mapping). IsLowerCaseText is the converse.
bool IsUpperCaseText(std::string_view text);
bool IsLowerCaseText(std::string_view text);

// ---------------------------------------------------------------- editing

// Without leading and trailing blanks and control characters (bytes <= 32).
std::string Trim(std::string_view text);

// Without one trailing backslash, if present.
std::string ExcludeTrailingBackslash(std::string_view text);

// The text with c appended unless it already ends with c; "" becomes c.
std::string EnsureTrailing(std::string_view text, char c);

// When the text holds two consecutive backslashes, the text with every run of
// backslashes collapsed to one; when it holds none, the empty string (callers
// then keep their own text).
std::string CollapseDoubleBackslashes(std::string_view text);

// With nulOnly, removes every NUL; otherwise every LF, CR, NUL and TAB. Then
// trims (see Trim).
std::string RemoveWhitespace(std::string_view text, bool nulOnly = false);

// Without the first "&" (a menu accelerator marker).
std::string RemoveFirstAmpersand(std::string_view text);

// Display form of an ignore-list entry or a menu text:
// - "" stays "";
// - a text starting with "&" loses it (and one blank after it) and is cut to
//   1000 characters; nothing else changes;
// - otherwise an all-upper-case text is lowered first, then the first
//   character and every character after a blank (except the last character
//   of the text) is raised, a final byte 255 is dropped and the result trimmed.
// Case conversions use the system case mapping.
std::string CapitalizeWords(std::string_view text);

// The file name part of path, cut before the first occurrence (without regard
// to case) of its extension. A name without an extension stays whole.
std::string FileNameWithoutExt(std::string_view path);

// Every "+" becomes "%2B", then every blank "+": a query string for the web
// browser. When stop is given and becomes true, the text encoded so far is
// returned (the application is shutting down).
std::string EncodeQueryText(std::string_view text, const std::atomic<bool>* stop = nullptr);

// Fills the placeholders "{1}".."{8}" of a message template:
// - when any non-empty argument k has no "{k}" in the template, the template
//   does not fit and the result is "";
// - otherwise, for k = 1, 2, ... up to the first k without a placeholder, the
//   first "{k}" is replaced by argument k. Inserted text is never searched for
//   placeholders again.
// Missing trailing arguments count as empty.
std::string FormatPlaceholders(std::string_view templ, const std::vector<std::string>& args);
std::string FormatPlaceholders(std::string_view templ, std::string_view s1 = {}, std::string_view s2 = {},
                               std::string_view s3 = {}, std::string_view s4 = {}, std::string_view s5 = {},
                               std::string_view s6 = {}, std::string_view s7 = {}, std::string_view s8 = {});

// The system's expansion of %NAME% references, trimmed; "" when it fails.
std::string ExpandEnvironment(std::string_view text);

// The non-empty components of a path: when the text holds ":\", everything
// before its first occurrence is the first component; the rest is split at
// backslashes (at most 1001 components are taken).
StringList SplitPath(std::string_view path);

// ---------------------------------------------------------------- lists and other

// For lists of two or more entries: sorts the list without regard to case
// (the system's comparison) and removes entries whose lower-case form (system
// case mapping) equals that of an earlier entry close before them.
void RemoveDuplicates(StringList& list);

// "True" or "False".
std::string BoolToText(bool value);

// The SHA-1 digest of the text's bytes as 40 upper-case hexadecimal digits.
std::string Sha1Hex(std::string_view text);

}  // namespace vp
