// A rack of readers behind one board type, for the runner's runs over several
// readers: the board lists five readers in its "Reader" setting, as the PC/SC
// board lists what pcsc-lite knows, and each document opens the one the
// program names. Every frame is taken with a comment ("frame N taken by R");
// at the third frame the reader "bench 4 vanishing" is gone (the board says
// so as it does when its reader is pulled) and "bench 3 erring" reports a
// garbled answer; the others take every frame.
#include <string>
#include <vector>

#include <tavric/board_options.h>
#include <tavric/tavric.h>

class CTVRRackBoard : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRRackBoard)

 public:
  BOOL Connect() override {
    m_strReader = GetBoardOption("reader");
    if (m_strReader.empty()) m_strReader = Readers().front();
    ReportComment("connected to " + m_strReader + "\r\n", TRACE_COMMENT);
    return TRUE;
  }
  BOOL Disconnect() override { return TRUE; }
  BOOL Send(BYTE*, DWORD) override {
    ++m_nFrames;
    if (m_nFrames == 3 && m_strReader == "bench 4 vanishing") {
      ReportBoardDisconnected();
      return TRUE;
    }
    ReportComment("frame " + std::to_string(m_nFrames) + " taken by " + m_strReader + "\r\n", TRACE_COMMENT);
    if (m_nFrames == 3 && m_strReader == "bench 3 erring")
      ReportError();
    else
      ReportEndCommand();
    return TRUE;
  }
  BOOL HasSettings() const override { return TRUE; }
  void GetSettings(std::vector<CTVRBoardSetting>& settings) override {
    CTVRBoardSetting reader;
    reader.m_strName = "Reader";
    reader.m_strLabel = "Reader";
    reader.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
    reader.m_Choices = Readers();
    settings.push_back(reader);
  }

 private:
  static std::vector<std::string> Readers() {
    return {"bench 1 steady", "bench 2 steady", "bench 3 erring", "bench 4 vanishing", "spare"};
  }

  std::string m_strReader;
  int m_nFrames = 0;
};
TVR_IMPLEMENT_DYNCREATE(CTVRRackBoard)

TAVRIC_PLUGIN_INIT() {
  RegisterDocStrings(9211, {"Rack", "Rack of readers"});
  AddBoardType(TVR_RUNTIME_CLASS(CTVRRackBoard), 9211);
}
