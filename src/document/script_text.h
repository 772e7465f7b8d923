// Small text helpers shared by the line store and the interpreter. Script text
// is 8-bit; only the C locale's white space and ASCII letters are touched.
#pragma once

#include <string>

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
