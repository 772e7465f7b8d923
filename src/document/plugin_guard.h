// Every call of the reader document into a board or protocol plug-in goes
// through here. A plug-in that throws must not take the program, the run or
// the trace with it: the exception is caught at the call, the trace and a
// message box say which call failed, the run stops and the reader is
// disconnected, and the document's views are told (HINT_RUN_ENDED_EARLY).
//
// The call under way is also kept where another thread may read it, so that a
// watchdog can name the call a hung run is stuck in.
#pragma once

#include <atomic>
#include <exception>
#include <string>

class CTVRBoardDoc;

class CTVRPluginGuard {
 public:
  // The names of the calls, as the fault message gives them.
  static constexpr const char* CONNECT = "the board's Connect";
  static constexpr const char* DISCONNECT = "the board's Disconnect";
  static constexpr const char* SEND = "the board's Send";
  static constexpr const char* CONFIG = "the board's Config";
  static constexpr const char* WRITE = "the board's Write";
  static constexpr const char* READ = "the board's Read";
  static constexpr const char* ESCAPE = "the board's Escape";
  static constexpr const char* SCRIPT_STOP = "the board's OnScriptStop";
  static constexpr const char* SETTINGS = "the board's settings";
  static constexpr const char* STATE = "the board's LoadState or SaveState";
  static constexpr const char* FRAMING = "the protocol's Command or APDU";
  static constexpr const char* NAMING = "the protocol, naming the frame sent";
  static constexpr const char* DECODING = "the protocol, decoding an answer";
  static constexpr const char* LOOPBACK = "the protocol's StartLpb";
  static constexpr const char* COMMAND = "a plug-in's command handler";

  // Runs call(); FALSE when it threw, the fault handled as above.
  template <class Fn>
  static bool Call(CTVRBoardDoc& doc, const char* name, Fn&& call) {
    // Only the UI thread writes the call under way: a load and a store do
    // what an exchange would, without its locked instruction (three a frame).
    const char* outer = s_pCurrentCall.load(std::memory_order_relaxed);
    s_pCurrentCall.store(name, std::memory_order_relaxed);
    try {
      call();
      s_pCurrentCall.store(outer, std::memory_order_relaxed);
      return true;
    } catch (const std::exception& e) {
      s_pCurrentCall.store(outer, std::memory_order_relaxed);
      OnFault(doc, name, e.what());
    } catch (...) {
      s_pCurrentCall.store(outer, std::memory_order_relaxed);
      OnFault(doc, name, nullptr);
    }
    return false;
  }

  // The call under way on the UI thread, or null; readable from any thread.
  static const char* GetCurrentCall() { return s_pCurrentCall.load(std::memory_order_relaxed); }

  // The text of a fault, as the trace and the message box give it.
  static std::string FaultText(const char* name, const char* reason);

 private:
  static void OnFault(CTVRBoardDoc& doc, const char* name, const char* reason);

  static std::atomic<const char*> s_pCurrentCall;
  static int s_nFaultDepth;
};
