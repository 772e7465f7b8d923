// Run-time class information: a class name and, for classes the host creates,
// a factory. The board classes a plug-in registers carry one.
#pragma once

#include <tavric/types.h>

class CTVRCmdTarget;

struct TVR_API CTVRRuntimeClass {
  const char* m_lpszClassName;
  CTVRCmdTarget* (*m_pfnCreateObject)();  // null when not dynamically creatable

  CTVRCmdTarget* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

// In the class body: TVR_DECLARE_DYNCREATE(CMyBoard)
#define TVR_DECLARE_DYNCREATE(cls)                           \
 public:                                                     \
  static const CTVRRuntimeClass class##cls;                  \
  static CTVRCmdTarget* CreateObject();                      \
  const CTVRRuntimeClass* GetRuntimeClass() const override { \
    return &class##cls;                                      \
  }

// In one source file: TVR_IMPLEMENT_DYNCREATE(CMyBoard)
#define TVR_IMPLEMENT_DYNCREATE(cls)                                   \
  const CTVRRuntimeClass cls::class##cls = {#cls, &cls::CreateObject}; \
  CTVRCmdTarget* cls::CreateObject() {                                 \
    return new cls; /* NOLINT(bugprone-macro-parentheses): a type */   \
  }

// Class information without a factory (protocols, cyphering objects).
#define TVR_DECLARE_DYNAMIC(cls)                             \
 public:                                                     \
  static const CTVRRuntimeClass class##cls;                  \
  const CTVRRuntimeClass* GetRuntimeClass() const override { \
    return &class##cls;                                      \
  }

#define TVR_IMPLEMENT_DYNAMIC(cls) const CTVRRuntimeClass cls::class##cls = {#cls, nullptr};

#define TVR_RUNTIME_CLASS(cls) (&cls::class##cls)
