// Registration of what a plug-in provides, and its entry points.
//
// A plug-in is a shared library named brd*.so or pro*.so. The host loads it,
// checks TavricPluginAbiVersion() against its own TAVRIC_ABI_VERSION (a
// mismatch skips the library: its classes would not match the host's), then
// calls TavricPluginInit(), where the plug-in registers its board types,
// protocols and cyphering object:
//
//   TAVRIC_PLUGIN_INIT() {
//     RegisterDocStrings(IDR_MYBOARD, {"MyBoard", "My board"});
//     AddBoardType(TVR_RUNTIME_CLASS(CMyBoardDoc), IDR_MYBOARD);
//   }
#pragma once

#include <tavric/class_info.h>
#include <tavric/types.h>

class CTVRProtocol;
class CTVRCrypto;

// Raised whenever a contract class changes its layout or virtual table.
#define TAVRIC_ABI_VERSION 4

// Makes a document template of the board class (a class derived from
// CTVRBoardDoc with TVR_DECLARE_DYNCREATE), with the document strings and menu
// registered under nIDResource.
TVR_API void AddBoardType(const CTVRRuntimeClass* pDocClass, tvr::UINT nIDResource);
// Appends a protocol, created with new; the host deletes it at exit.
TVR_API void AddProtocol(CTVRProtocol* pProtocol);
// Makes it the cyphering object; a later call replaces it. Never deleted by the host.
TVR_API void AddCrypto(CTVRCrypto* pCrypto);

#define TAVRIC_PLUGIN_INIT()                                                       \
  extern "C" __attribute__((visibility("default"))) int TavricPluginAbiVersion() { \
    return TAVRIC_ABI_VERSION;                                                     \
  }                                                                                \
  extern "C" __attribute__((visibility("default"))) void TavricPluginInit()
