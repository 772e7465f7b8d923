#include "frame_geometries.h"

#include "ccid_frame.h"
#include "kiro_frame.h"
#include "lpb_frame.h"
#include "verta_frame.h"

const CTVRFrameGeometry* FindFrameGeometry(const std::string& protocol) {
  struct CRow {
    const char* m_pszProtocol;
    const CTVRFrameGeometry& m_Geometry;
  };
  static const CRow table[] = {
      {"Verta", CTVRVertaFrame::GetGeometry()},
      {"Kiro", CTVRKiroFrame::GetGeometry()},
      {"CCID", CTVRCcidFrame::GetGeometry()},
      {"Loopback", CTVRLpbFrame::GetGeometry()},
  };
  for (const CRow& row : table)
    if (protocol == row.m_pszProtocol) return &row.m_Geometry;
  return nullptr;
}
