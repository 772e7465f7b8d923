// Small text helpers shared by the line store and the interpreter. Script text
// is 8-bit; only the C locale's white space and ASCII letters are touched.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace tvr_script {

inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline std::string Trim(const std::string& text) {
  std::string::size_type first = 0;
  std::string::size_type last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

inline std::string ToLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

// The form every classification and directive test works on.
inline std::string TrimLower(const std::string& text) {
  return ToLower(Trim(text));
}

// Where `name` (given in lower case) first stands in `text` from `from` on,
// in any letter case, as directives are matched; npos when nowhere.
inline std::string_view::size_type FindNoCase(std::string_view text, std::string_view name,
                                              std::string_view::size_type from = 0) {
  if (from > text.size()) return std::string_view::npos;
  const auto at =
      std::search(text.begin() + std::string_view::difference_type(from), text.end(), name.begin(), name.end(),
                  [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b; });
  return at == text.end() ? std::string_view::npos : std::string_view::size_type(at - text.begin());
}

// The script text mentions `name` (lower case) anywhere, a comment included.
inline bool Mentions(std::string_view text, std::string_view name) {
  return FindNoCase(text, name) != std::string_view::npos;
}

// On a line that begins with ".expect(" (blanks before it, any letter case),
// a '*' with nothing but blanks between it and the next ')' is the pattern's
// "any further bytes", not a comment mark.
inline bool IsPatternStar(std::string_view line, std::string_view::size_type star) {
  std::string_view::size_type next = star + 1;
  while (next < line.size() && IsBlank(line[next])) ++next;
  if (next >= line.size() || line[next] != ')') return false;
  std::string_view::size_type first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  constexpr std::string_view kName = ".expect(";
  if (star < first + kName.size()) return false;
  for (std::string_view::size_type i = 0; i < kName.size(); ++i) {
    char c = line[first + i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

// Where a line's comment begins: at its first '/' or '*', the pattern's '*'
// of an expectation excepted; npos when it has none.
// Two searches for one character each: this runs for every line of every
// statement, and a search for one character is the fastest there is.
inline std::string_view::size_type CommentStart(std::string_view line) {
  const auto slash = line.find('/');
  auto star = line.find('*');
  while (star < slash && IsPatternStar(line, star)) star = line.find('*', star + 1);
  return star < slash ? star : slash;
}

// Trim in place, for the statement buffer the interpreter reuses.
inline void TrimInPlace(std::string& text) {
  std::string::size_type last = text.size();
  while (last > 0 && IsBlank(text[last - 1])) --last;
  text.resize(last);
  std::string::size_type first = 0;
  while (first < last && IsBlank(text[first])) ++first;
  text.erase(0, first);
}

}  // namespace tvr_script
