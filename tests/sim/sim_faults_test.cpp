// The fault queue of the simulated reader, frame by frame: what each of a
// run's frames meets when faults are armed together, for several frames, or
// for a frame further on. What the host shows of each fault is the scenario
// cases sim_faults and sim_fault_*.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_faults.h"
#include "sim_link.h"
#include "verta_frame.h"

namespace {

// What the reader does to each of `frames` GET FIRMWARE VERSION frames.
std::vector<std::string> Frames(CTVRSimFaults& faults, int frames) {
  CTVRSimFirmware firmware;
  const std::vector<tvr::BYTE> frame = CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, VERTA_OP_GET_FIRMWARE, {});
  std::vector<std::string> met;
  for (int i = 0; i < frames; ++i) {
    CTVRSimExchange x{firmware, CTVRSimLink::ForLayout(ANSWER_GENERIC), frame.data(), frame.size(), {}};
    faults.Apply(x);
    std::string what = x.m_bDisconnect ? "gone" : std::to_string(x.m_Answers.size()) + " answers";
    if (x.m_uDelayMs) what += " " + std::to_string(x.m_uDelayMs) + " ms late";
    met.push_back(what);
  }
  return met;
}

TEST(SimFaultsTest, ArmedFaultsHitTheFramesTheySay) {
  const tvr::BYTE three[] = {0x03};
  CTVRSimFaults script;
  EXPECT_EQ(script.Arm(*CTVRSimFaults::Find(0x05), three, 1), "no answer to the next 3 frames");
  EXPECT_EQ(script.Arm(*CTVRSimFaults::Find(0x08), nullptr, 0), "the next answer comes 1000 ms late");
  EXPECT_EQ(Frames(script, 5),
            (std::vector<std::string>{"0 answers", "0 answers", "0 answers", "1 answers 1000 ms late", "1 answers"}));

  CTVRSimFaults line;
  std::vector<std::string> armed;
  EXPECT_EQ(line.ArmFromText("disconnect@3  late:0x10", armed), "");
  EXPECT_EQ(armed, (std::vector<std::string>{"the reader will be disconnected at the next frame (at frame 3)",
                                             "the next answer comes 16 ms late"}));
  EXPECT_EQ(Frames(line, 3), (std::vector<std::string>{"1 answers 16 ms late", "1 answers", "gone"}));
  for (const char* refused : {"late:", "late:1x", "mute@0", "mute@", "Mute"})
    EXPECT_NE(CTVRSimFaults().ArmFromText(refused, armed), "") << refused;
}

}  // namespace
