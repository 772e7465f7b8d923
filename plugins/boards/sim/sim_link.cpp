#include "sim_link.h"

#include "sim_ccid_link.h"
#include "sim_kiro_link.h"
#include "sim_lpb_link.h"
#include "sim_pcsc_link.h"
#include "sim_verta_link.h"

std::vector<CTVRSimLink::Frame> CTVRSimLink::CardEvent(CTVRSimFirmware&, int, bool, const std::vector<Frame>&) const {
  return {};
}

const CTVRSimLink& CTVRSimLink::ForProtocol(const std::string& name) {
  static const CTVRSimVertaLink verta;
  static const CTVRSimPcscLink pcsc;
  static const CTVRSimCcidLink ccid;
  static const CTVRSimKiroLink kiro;
  static const CTVRSimLpbLink lpb;
  struct CRow {
    const char* m_pszName;
    const CTVRSimLink* m_pLink;
  };
  static const CRow table[] = {{"PC/SC", &pcsc}, {"CCID", &ccid}, {"Kiro", &kiro}, {"Loopback", &lpb}};
  for (const CRow& row : table)
    if (name == row.m_pszName) return *row.m_pLink;
  return verta;
}
