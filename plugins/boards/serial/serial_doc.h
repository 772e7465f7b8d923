// The serial board: a reader on a serial line or a USB serial adapter, driven
// with any protocol. The line's settings (serial_settings.h) are stored in the
// document's section beside the document's values, and a command line may
// give them for one run (tavric-run --port, --speed, --parity, --flow,
// --byte-timeout). Frames go out on the link's thread after the command delay
// and the DSR-TX delay of the Delay Options; answers are cut out of the byte
// stream by the selected protocol's frame geometry, or at silences in free
// reception mode.
//
// With a protocol whose answers the host does not match to their command
// (the message-code and "kiro" layouts), the board ends a statement itself
// once the line falls silent after its answer.
#pragma once

#include <string>

#include <tavric/board_doc.h>
#include <tavric/resources.h>

#include "serial_link.h"
#include "serial_settings.h"

class CTVRSerialDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRSerialDoc)

 public:
  static constexpr tvr::UINT IDR_SERIAL = 2120;

  static CTVRDocStrings GetDocStrings() { return {"Serial", "Serial reader"}; }
  static CTVRMenu GetMenu();

  CTVRSerialDoc();
  ~CTVRSerialDoc() override;

  tvr::BOOL LoadState(CTVRRegistry& reg) override;
  tvr::BOOL SaveState(CTVRRegistry& reg) override;
  void Write(tvr::BYTE* data, tvr::DWORD length) override;
  tvr::BOOL Connect() override;
  tvr::BOOL Disconnect() override;
  tvr::BOOL Send(tvr::BYTE* frame, tvr::DWORD length) override;
  void OnScriptStop() override;

  tvr::BOOL HasSettings() const override { return TRUE; }
  void GetSettings(std::vector<CTVRBoardSetting>& settings) override;
  tvr::BOOL SetSetting(const std::string& name, const std::string& value) override;

  CTVRSerialSettings& GetLineSettings() { return m_Settings; }

 private:
  void Queue(const tvr::BYTE* bytes, tvr::DWORD length, bool bEndStatement);
  // The host does not end a statement on this protocol's answers.
  bool BoardEndsStatements() const;

  CTVRSerialSettings m_Settings;
  std::string m_strPort;  // the port opened
  CTVRSerialLink m_Link;  // last: its thread stops before the rest goes
};
