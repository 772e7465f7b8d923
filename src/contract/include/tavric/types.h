// Fixed-width aliases used throughout the plug-in contract.
//
// They live in namespace tvr and are also brought into the global namespace,
// because the contract's own names (BYTE, DWORD, BOOL...) read that way in every
// board and protocol. A plug-in that also includes a library defining the same
// names differently (pcsc-lite's wintypes.h does) defines TVR_NO_GLOBAL_TYPES
// before including any Tavric header and writes tvr::DWORD instead.
#pragma once

#include <cstddef>
#include <cstdint>

#define TVR_API __attribute__((visibility("default")))

namespace tvr {
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// Handle of a message window. 0 is the null handle; a handle is never reused
// within a process, so the handle of a destroyed window stays recognisable.
using HWND = std::uint32_t;
// An RGB colour as three 8-bit components packed 0x00BBGGRR.
using COLORREF = std::uint32_t;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) {
  return BYTE(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c) {
  return BYTE((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c) {
  return BYTE((c >> 16) & 0xFF);
}
}  // namespace tvr

#ifndef TVR_NO_GLOBAL_TYPES
using tvr::BOOL;
using tvr::BYTE;
using tvr::COLORREF;
using tvr::DWORD;
using tvr::GetBValue;
using tvr::GetGValue;
using tvr::GetRValue;
using tvr::HWND;
using tvr::LPARAM;
using tvr::LRESULT;
using tvr::RGB;
using tvr::UINT;
using tvr::WORD;
using tvr::WPARAM;
#endif
// The contract's headers use them either way; pcsc-lite defines the same values.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
