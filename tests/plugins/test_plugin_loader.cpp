// The loader over real plug-in libraries built into tests/plugins/discovery.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/crypto.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"
#include "contract/plugin_search.h"
#include "test_context.h"

namespace {

using Loader = CTVRPluginLoader;

// The test plug-ins' folder is set for every test program (tests/support/test_main.cpp).
std::string PluginFolder(const std::string& testCase) {
  return std::string(std::getenv("TAVRIC_TEST_PLUGINS")) + "/" + testCase;
}

class PluginLoaderTest : public ::testing::Test {
 protected:
  // Libraries stay loaded for the life of the process: the folder is loaded
  // once, into the suite's context, and every test looks at that one load.
  static void SetUpTestSuite() {
    unsetenv("TAVRIC_PLUGIN_DEBUG");
    s_pContext = std::make_unique<CTVRTestContext>();
    s_Results = Loader(*s_pContext).LoadFolder(PluginFolder("discovery"));
  }
  static void TearDownTestSuite() {
    s_Results.clear();
    s_pContext.reset();
  }
  static CTVRHost& Host() { return s_pContext->Host(); }
  static inline std::unique_ptr<CTVRTestContext> s_pContext;
  static inline std::vector<Loader::CResult> s_Results;
};

TEST(PluginFileName, PrefixInAnyCaseAndTheLibrarySuffix) {
  for (const char* name : {"brdsim.so", "BRDcaps.so", "Brdx.so", "proverta.so", "PROtocol.so"})
    EXPECT_TRUE(Loader::IsPluginFileName(name)) << name;
  for (const char* name :
       {"mybrdhidden.so", "xpro.so", "brdsim.so.1", "brdsim.txt", "brdsim", "br.so", ".so", "bdr.so"})
    EXPECT_FALSE(Loader::IsPluginFileName(name)) << name;
}

TEST_F(PluginLoaderTest, TakesPluginFilesAlphabeticallyAndSaysWhatBecameOfEach) {
  // All but the hidden library, the folder and the text file, letter case ignored.
  std::vector<std::string> seen;
  for (const auto& result : s_Results) {
    seen.push_back(result.m_strFileName);
    const auto expected = seen.back() == "brdbroken.so"                                ? Loader::PLUGIN_LOAD_FAILED
                          : seen.back() == "proabi.so" || seen.back() == "brdnoabi.so" ? Loader::PLUGIN_ABI_MISMATCH
                          : seen.back() == "prothrows.so"                              ? Loader::PLUGIN_INIT_FAILED
                                                                                       : Loader::PLUGIN_LOADED;
    EXPECT_EQ(result.m_eResult, expected) << seen.back() << ": " << result.m_strReason;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"brdbroken.so", "BRDcaps.so", "brdnoabi.so", "brdtwo.so", "proabi.so",
                                            "proalpha.so", "procryptoa.so", "procryptob.so", "prothrows.so",
                                            "prounrelated.so"}));
}

TEST_F(PluginLoaderTest, RegistersOnceInLoadOrderAndPluginOrder) {
  // Loading the folder again initialises nothing twice.
  for (const auto& result : Loader(*s_pContext).LoadFolder(PluginFolder("discovery") + "/"))
    if (result.m_eResult == Loader::PLUGIN_LOADED) ADD_FAILURE() << result.m_strFileName << " loaded twice";

  std::vector<std::string> boards, protocols;
  for (const auto& pTemplate : Host().GetTemplates()) {
    boards.emplace_back(pTemplate->GetDocClass()->m_lpszClassName);
    if (boards.back() == "CTVRPlugBoardTwo") {
      EXPECT_EQ(pTemplate->GetFileNewName(), "Board two");
    }
  }
  for (CTVRProtocol* pProtocol : Host().GetProtocols()) protocols.push_back(pProtocol->GetName());
  EXPECT_EQ(boards, (std::vector<std::string>{"CTVRPlugCapsBoard", "CTVRPlugBoardOne", "CTVRPlugBoardTwo"}));
  // Nothing of the refused libraries stays: not the static registration of
  // the one built for another ABI (deleted, not leaked, before it was
  // unloaded), not what the throwing init registered before it threw, and
  // the init without an ABI version never ran.
  EXPECT_EQ(protocols, (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_NE(std::getenv("TAVRIC_TEST_WRONG_ABI_DELETED"), nullptr);
  EXPECT_EQ(std::getenv("TAVRIC_TEST_NO_ABI_INIT_RAN"), nullptr);

  // The later cyphering object replaces the earlier.
  ASSERT_NE(Host().GetCrypto(), nullptr);
  EXPECT_EQ(Host().GetCrypto()->m_strName, "crypto b");
}

TEST_F(PluginLoaderTest, EachContextGetsItsOwnRegistrationsAndLeavesTheOthersAlone) {
  // The libraries are in the process already; a second context that loads
  // the folder is told the same of each file and registers on its own.
  {
    CTVRTestContext other;
    const auto results = Loader(other).LoadFolder(PluginFolder("discovery"));
    ASSERT_EQ(results.size(), s_Results.size());
    for (std::size_t i = 0; i < results.size(); ++i)
      EXPECT_EQ(results[i].m_eResult, s_Results[i].m_eResult) << results[i].m_strFileName;
    // Only a library that registers from its static initialisers alone
    // (BRDcaps.so) has nothing to run again: its board type stays with the
    // context that opened it first.
    std::vector<std::string> boards;
    for (const auto& pTemplate : other.Host().GetTemplates())
      boards.emplace_back(pTemplate->GetDocClass()->m_lpszClassName);
    EXPECT_EQ(boards, (std::vector<std::string>{"CTVRPlugBoardOne", "CTVRPlugBoardTwo"}));
    ASSERT_EQ(other.Host().GetProtocols().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(other.Host().GetProtocols()[i]->GetName(), Host().GetProtocols()[i]->GetName());
      EXPECT_NE(other.Host().GetProtocols()[i], Host().GetProtocols()[i]) << "a protocol object of its own";
    }
    EXPECT_EQ(other.Host().GetTemplates()[0]->GetHostContext(), &other);
  }
  // The second context is gone with its registrations; the suite's are whole
  // and it is the installed one again.
  EXPECT_EQ(CTVRHostContext::GetInstalled(), s_pContext.get());
  ASSERT_EQ(Host().GetProtocols().size(), 2u);
  EXPECT_EQ(Host().GetProtocols()[1]->GetName(), "Beta");
  EXPECT_EQ(Host().GetTemplates()[0]->GetHostContext(), s_pContext.get());
}

TEST_F(PluginLoaderTest, SaysWhyOnlyWhenAskedTo) {
  auto said = [](const char* debug) {
    setenv("TAVRIC_PLUGIN_DEBUG", debug, 1);
    testing::internal::CaptureStderr();
    Loader(*s_pContext).LoadFolder(PluginFolder("discovery"));
    unsetenv("TAVRIC_PLUGIN_DEBUG");
    return testing::internal::GetCapturedStderr();
  };
  EXPECT_EQ(said(""), "") << "set but empty counts as off";
  const std::string reasons = said("1");
  for (const char* reason :
       {"brdbroken.so: not loaded", "TavricTestNowhereDefined", "proabi.so: skipped, ABI version 42",
        "prothrows.so: skipped, its init failed: no reader driver for this test",
        "brdnoabi.so: skipped, no ABI version", "mybrdhidden.so: skipped, not a plug-in name",
        "brdfolder.so: skipped, not a regular file"})
    EXPECT_NE(reasons.find(reason), std::string::npos) << reasons;
}

TEST_F(PluginLoaderTest, ARunsOwnFilesFirstAndTheOthersOnlyWhenTheyDoNotDo) {
  const CTVRPluginSearch::CFolder discovery{PluginFolder("discovery"), CTVRPluginSearch::ORIGIN_COMMAND_LINE};
  // The cyphering object of procryptob.so, loaded first, is the one a load in
  // search order leaves when procryptoa.so comes after it.
  const auto first = [](const std::string& name) { return name == "procryptob.so" || name == "brdtwo.so"; };
  for (const bool enough : {true, false}) {
    CTVRTestContext context;
    std::size_t templatesWhenAsked = 0;
    const auto found = CTVRPluginSearch::LoadFirst(context, {discovery}, first, [&] {
      templatesWhenAsked = context.Host().GetTemplates().size();
      return enough;
    });
    std::vector<std::string> files;
    for (const auto& entry : found) files.push_back(entry.m_Result.m_strFileName);
    EXPECT_EQ(templatesWhenAsked, 2u) << "asked after the first files, before the others";
    const std::vector<std::string> expected =
        enough ? std::vector<std::string>{"brdtwo.so", "procryptob.so"}
               : std::vector<std::string>{"brdbroken.so", "BRDcaps.so",     "brdnoabi.so",   "brdtwo.so",
                                          "proabi.so",    "proalpha.so",    "procryptoa.so", "procryptob.so",
                                          "prothrows.so", "prounrelated.so"};
    EXPECT_EQ(files, expected);
    EXPECT_EQ(context.Host().GetProtocols().size(), enough ? 0u : 2u);
    ASSERT_NE(context.Host().GetCrypto(), nullptr);
    EXPECT_EQ(context.Host().GetCrypto()->m_strName, "crypto b") << enough;
  }
}

TEST(PluginSearch, ARegistrationLoadedOutOfTurnGoesBackToItsPlace) {
  CTVRTestContext context;
  CTVRHost& host = context.Host();
  std::vector<CTVRProtocol*> added;
  for (int i = 0; i < 3; ++i) {
    added.push_back(new CTVRProtocol);
    host.AddProtocol(added.back());
  }
  host.SortRegistrations({}, {2, 0, 0});
  EXPECT_EQ(host.GetProtocols(), (std::vector<CTVRProtocol*>{added[1], added[2], added[0]}));
  host.SortRegistrations({}, {0, 1});
  EXPECT_EQ(host.GetProtocols(), (std::vector<CTVRProtocol*>{added[1], added[2], added[0]})) << "ranks that do not fit";
}

TEST(PluginSearch, TheFileABoardTypeOrProtocolIsExpectedIn) {
  for (const auto& [file, prefix, name, named] :
       std::vector<std::tuple<const char*, const char*, const char*, bool>>{{"propcsc.so", "pro", "PC/SC", true},
                                                                            {"BRDSim.so", "brd", "sim", true},
                                                                            {"brdpcsc.so", "pro", "pcsc", false},
                                                                            {"brdpcsc.so", "brd", "CTVRPcscDoc", false},
                                                                            {"propcsc.so.1", "pro", "pcsc", false},
                                                                            {"pro.so", "pro", "/", false}})
    EXPECT_EQ(CTVRPluginSearch::IsNamedFile(file, prefix, name), named) << file << " " << name;
}

TEST(PluginLoader, AFolderThatCannotBeReadOrIsEmptyGivesNothing) {
  CTVRTestContext context;
  EXPECT_TRUE(Loader(context).LoadFolder(PluginFolder("no-such-folder")).empty());
  EXPECT_TRUE(Loader(context).LoadFolder(PluginFolder("empty")).empty());
}

}  // namespace
