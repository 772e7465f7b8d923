// The base of the one optional cyphering object. The host holds no cipher: it
// stores four keys per document, starts the triple-DES exchange on a script
// directive and feeds the object with answers. Registered with AddCrypto; the
// host never deletes it.
#pragma once

#include <string>

#include <tavric/class_info.h>
#include <tavric/cmd_target.h>
#include <tavric/types.h>

class TVR_API CTVRCrypto : public CTVRCmdTarget {
  TVR_DECLARE_DYNAMIC(CTVRCrypto)

 public:
  CTVRCrypto();
  ~CTVRCrypto() override;

  virtual void OnCryptoShow();
  virtual int GetCryptoActivated();
  virtual void ReceivedData(tvr::BYTE* data, tvr::DWORD length);
  virtual void ResetCrypto();
  virtual void SetCypheringKey(const std::string& key);
  virtual void SetDecypheringKey(const std::string& key);
  virtual void Set3CypheringKey(const std::string& key);
  virtual void Set3DecypheringKey(const std::string& key);
  virtual std::string GetCypheringKey();
  virtual std::string GetDecypheringKey();
  virtual std::string Get3CypheringKey();
  virtual std::string Get3DecypheringKey();
  virtual void Set3desParameters(tvr::BYTE mode, tvr::BYTE challengeLength, tvr::BYTE authenticateLength,
                                 tvr::BYTE* key);
  // length is in-out.
  virtual void TripleDes(tvr::BYTE* data, tvr::DWORD& length);

  // The triple-DES exchange of a ".3des(" directive, which the host drives:
  // the challenge request is out, then the challenge has gone to TripleDes,
  // then the answer to the cryptogram (or an error) ends the exchange.
  void OnChallengeRequested() { m_bAuthenticationPending = 1; }
  void OnChallengeReceived() { m_bChallengeReceived = 1; }
  void EndExchange() { m_bAuthenticationPending = m_bChallengeReceived = 0; }
  bool IsExchangePending() const { return m_bAuthenticationPending != 0; }
  bool IsChallengeReceived() const { return m_bChallengeReceived != 0; }

  std::string m_strName = "unknown cyphering";
  int m_nPlugin = 0;  // the plug-in's own; the host does not read it

 private:
  int m_bAuthenticationPending = 0;  // the challenge request is out
  int m_bChallengeReceived = 0;      // the challenge has gone to TripleDes
};
