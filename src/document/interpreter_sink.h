// What the script interpreter needs of the document that holds it: the
// settings its directives read and change, and the services its statements
// end in (sending, the board's own services, the trace, the run's end).
#pragma once

#include <string>

#include <tavric/board_doc.h>
#include <tavric/types.h>

#include "decode/expectation.h"

class CTVRCrypto;

class CTVRInterpreterSink {
 public:
  virtual ~CTVRInterpreterSink() = default;

  // Settings that directives change and stay in force after the run.
  virtual tvr::BOOL IsTraceOn() const = 0;
  virtual void SetTraceOn(tvr::BOOL on) = 0;
  virtual void SetGetResponse(tvr::BOOL on) = 0;
  virtual tvr::BOOL IsLoopMode() const = 0;
  virtual void SetLoopMode(tvr::BOOL on) = 0;
  virtual EScriptType GetScriptType() const = 0;
  virtual void SetScriptType(EScriptType type) = 0;
  virtual CTVRDelayOptions& GetDelayOptions() = 0;
  virtual CTVRCrypto* GetCrypto() const = 0;
  virtual std::string GetScriptPath() const = 0;

  // A statement of the script begins: the run is on, the frame is the
  // script's own, and a protocol that frames nothing makes it raw data.
  virtual void OnStatementStarted() = 0;
  // The current line is past the end: the run is over.
  virtual void OnRunEnded() = 0;

  virtual void NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind) = 0;
  virtual tvr::BOOL SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type) = 0;
  // A frame outside the run (command kind 1), to the active reader document.
  virtual void SendOneOffCommand(tvr::BYTE* bytes, tvr::DWORD count) = 0;
  virtual void Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) = 0;
  virtual void Write(tvr::BYTE* data, tvr::DWORD length) = 0;
  virtual void Read(tvr::DWORD count) = 0;
  virtual void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) = 0;
  virtual void SaveLog() = 0;
  // An expectation on the answer of the statement before the one on `line`
  // (from 0), and what the run's mismatches do from here on.
  virtual void CheckExpectation(const CTVRExpectation& expectation, int line) = 0;
  virtual void SetMismatchAction(ETVRMismatchAction action) = 0;
  // The statement is complete: the run goes on with the next one.
  virtual void EndCommand() = 0;
  // An expectation read ahead, checked with the statement before it: that
  // statement's end counts for the run's statement bound as one whose end
  // moves the mark, the current line moves to `nextLine`, and the check runs
  // with the views told later, once for the statement, by its end. False
  // when the end or the check paused or stopped the run, or the run does not
  // go on at once.
  virtual bool CheckExpectationAhead(const CTVRExpectation& expectation, int line, int nextLine) = 0;
};
