// A private PC/SC stack for one test (tools/pcsc-stack.sh): pcscd with the
// vpcd driver in namespaces of its own, cards of ours on its two readers
// ("Virtual PCD 00 00" and "Virtual PCD 00 01"). Start() says why when the
// machine cannot run it, so that the test can skip.
#pragma once

#include <string>

class CTVRPcscStack {
 public:
  static constexpr int READER0_PORT = 35963;
  static constexpr int READER1_PORT = 35964;

  CTVRPcscStack();
  ~CTVRPcscStack();
  CTVRPcscStack(const CTVRPcscStack&) = delete;
  CTVRPcscStack& operator=(const CTVRPcscStack&) = delete;

  // Empty when the stack runs, otherwise the reason it cannot.
  std::string Start();
  static constexpr int SECOND_DEVICE_CHANNEL = 35965;

  // A card on the reader at port, with tavric-vcard's options; waits until
  // the daemon reports it (asked with pcsc_scan of pcsc-tools). FALSE when it
  // does not.
  bool InsertCard(int port, const std::string& options = std::string());
  // Until the daemon reports a card in the reader of that name (30 s at most).
  bool WaitForCard(const std::string& reader) const;
  void StopDaemon();
  // pcscd started again with one vpcd device per channel, in that order
  // (tools/pcsc-stack.sh restart-daemon); the cards stay and call it again.
  // FALSE when the daemon does not come back.
  bool RestartDaemon(const std::string& channels);
  // What clients need in their environment: PCSCLITE_CSOCK_NAME's value.
  const std::string& GetSocket() const { return m_strSocket; }
  // Sets PCSCLITE_CSOCK_NAME in this process (children inherit it).
  void UseInThisProcess() const;
  // What the cards have printed so far (tavric-vcard --stamps among others).
  std::string GetCardLog() const;

 private:
  std::string Script(const std::string& args) const;
  std::string m_strDir;
  std::string m_strSocket;
  bool m_bStarted = false;
};
