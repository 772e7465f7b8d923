// The real proverta.so and brdsim.so, loaded from the run folder as the
// program loads them: what they register is what the rest of the tests use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <tavric/board_doc.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>
#include <tavric/resources.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"

namespace {

TEST(SimPlugins, RegisterTheVertaProtocolAndTheSimulatedReader) {
  // ctest runs the tests in <build>/tests, beside the run folder <build>/bin.
  const char* env = std::getenv("TAVRIC_RUN_DIR");
  const std::string folder = env && *env ? env : "../bin";
  if (!std::ifstream(folder + "/brdsim.so")) GTEST_SKIP() << "no plug-ins in " << folder;

  CTVRPluginLoader loader;
  const auto results = loader.LoadFolder(folder);
  for (const char* name : {"proverta.so", "brdsim.so"}) {
    const auto it = std::find_if(results.begin(), results.end(),
                                 [&](const CTVRPluginLoader::CResult& r) { return r.m_strFileName == name; });
    ASSERT_NE(it, results.end()) << name;
    EXPECT_TRUE(it->m_eResult == CTVRPluginLoader::PLUGIN_LOADED ||
                it->m_eResult == CTVRPluginLoader::PLUGIN_ALREADY_LOADED)
        << name << ": " << it->m_strReason;
  }

  const auto& protocols = CTVRHost::Instance().GetProtocols();
  const auto verta =
      std::find_if(protocols.begin(), protocols.end(), [](CTVRProtocol* p) { return p->GetName() == "Verta"; });
  ASSERT_NE(verta, protocols.end());
  EXPECT_EQ((*verta)->GetMenuId(), 180u);
  const CTVRMenu* protocolMenu = FindMenu(180);
  ASSERT_NE(protocolMenu, nullptr);
  ASSERT_FALSE(protocolMenu->empty());
  EXPECT_TRUE(protocolMenu->front().IsPopup());

  const auto& templates = CTVRHost::Instance().GetTemplates();
  const auto sim = std::find_if(templates.begin(), templates.end(), [](const std::unique_ptr<CTVRDocTemplate>& t) {
    return std::string(t->GetDocClass()->m_lpszClassName) == "CTVRSimDoc";
  });
  ASSERT_NE(sim, templates.end());
  EXPECT_EQ((*sim)->GetFileNewName(), "Simulated reader");
  EXPECT_EQ((*sim)->GetDocName(), "Sim");
  const CTVRMenu* boardMenu = FindMenu((*sim)->GetResourceId());
  ASSERT_NE(boardMenu, nullptr);
  bool hasPlaceholder = false;
  for (const CTVRMenuItem& popup : *boardMenu)
    for (const CTVRMenuItem& item : popup.m_children) hasPlaceholder |= item.m_nID == ID_PROTOCOL_FIRST;
  EXPECT_TRUE(hasPlaceholder);

  std::unique_ptr<CTVRBoardDoc> pDoc((*sim)->CreateDocument());
  ASSERT_NE(pDoc, nullptr);
  EXPECT_STREQ(pDoc->GetRuntimeClass()->m_lpszClassName, "CTVRSimDoc");
}

}  // namespace
