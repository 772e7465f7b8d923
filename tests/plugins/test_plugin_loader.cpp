// The loader over real plug-in libraries built into tests/plugins/discovery.
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <tavric/board_doc.h>
#include <tavric/crypto.h>
#include <tavric/doc_template.h>
#include <tavric/protocol.h>

#include "contract/host.h"
#include "contract/plugin_loader.h"

namespace {

std::string PluginFolder(const std::string& testCase) {
  const char* root = std::getenv("TAVRIC_TEST_PLUGINS");
  if (root != nullptr && *root != '\0') return std::string(root) + "/" + testCase;
  // The test case folders lie beside this binary in the build tree.
  return QCoreApplication::applicationDirPath().toStdString() + "/plugins/" + testCase;
}

// The folder as the system lists it, in its own order.
std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* pDir = opendir(folder.c_str())) {
    while (dirent* pEntry = readdir(pDir)) names.emplace_back(pEntry->d_name);
    closedir(pDir);
  }
  return names;
}

std::ptrdiff_t PositionIn(const std::vector<std::string>& names, const std::string& name) {
  auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : it - names.begin();
}

class PluginLoaderTest : public ::testing::Test {
 protected:
  // Libraries stay loaded for the life of the process, so the folder is loaded
  // once and every test looks at that one load.
  static void SetUpTestSuite() {
    if (s_bLoaded) return;
    unsetenv("TAVRIC_PLUGIN_DEBUG");
    s_Results = CTVRPluginLoader().LoadFolder(PluginFolder("discovery"));
    s_bLoaded = true;
  }

  static const CTVRPluginLoader::CResult* Find(const std::string& name) {
    for (const auto& result : s_Results)
      if (result.m_strFileName == name) return &result;
    return nullptr;
  }

  static std::vector<std::string> TemplateClasses() {
    std::vector<std::string> names;
    for (const auto& pTemplate : CTVRHost::Instance().GetTemplates())
      names.emplace_back(pTemplate->GetDocClass()->m_lpszClassName);
    return names;
  }

  static std::vector<std::string> ProtocolNames() {
    std::vector<std::string> names;
    for (CTVRProtocol* pProtocol : CTVRHost::Instance().GetProtocols()) names.push_back(pProtocol->GetName());
    return names;
  }

  static inline bool s_bLoaded = false;
  static inline std::vector<CTVRPluginLoader::CResult> s_Results;
};

}  // namespace

TEST(PluginFileName, PrefixInAnyCaseAndTheLibrarySuffix) {
  for (const char* name : {"brdsim.so", "BRDcaps.so", "Brdx.so", "proverta.so", "PROtocol.so", "prounrelated.so"})
    EXPECT_TRUE(CTVRPluginLoader::IsPluginFileName(name)) << name;
  for (const char* name : {"mybrdhidden.so", "libbrd.so", "xpro.so", "brdsim.so.1", "brdsim.txt", "brdsim", "br.so",
                           "brd", "", ".so", "brdso", "prosim.so.bak", "bdrsim.so"})
    EXPECT_FALSE(CTVRPluginLoader::IsPluginFileName(name)) << name;
}

TEST_F(PluginLoaderTest, TakesPluginFilesInTheFoldersOwnOrder) {
  // What the loader should have looked at: the listing, filtered by the name
  // rule and to regular files, order untouched.
  std::vector<std::string> expected;
  const std::string folder = PluginFolder("discovery");
  for (const std::string& name : ListFolder(folder)) {
    struct stat info {};
    if (CTVRPluginLoader::IsPluginFileName(name) && stat((folder + "/" + name).c_str(), &info) == 0 &&
        S_ISREG(info.st_mode))
      expected.push_back(name);
  }
  std::vector<std::string> seen;
  for (const auto& result : s_Results) seen.push_back(result.m_strFileName);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(seen.size(), 8u);  // all but the hidden library, the folder and the text file
}

TEST_F(PluginLoaderTest, ReportsWhatBecameOfEachLibrary) {
  for (const char* name :
       {"brdtwo.so", "BRDcaps.so", "proalpha.so", "procryptoa.so", "procryptob.so", "prounrelated.so"}) {
    const auto* pResult = Find(name);
    ASSERT_NE(pResult, nullptr) << name;
    EXPECT_EQ(pResult->m_eResult, CTVRPluginLoader::PLUGIN_LOADED) << name << ": " << pResult->m_strReason;
  }
  const auto* pBroken = Find("brdbroken.so");
  ASSERT_NE(pBroken, nullptr);
  EXPECT_EQ(pBroken->m_eResult, CTVRPluginLoader::PLUGIN_LOAD_FAILED);
  EXPECT_NE(pBroken->m_strReason.find("TavricTestNowhereDefined"), std::string::npos) << pBroken->m_strReason;

  const auto* pOld = Find("proabi.so");
  ASSERT_NE(pOld, nullptr);
  EXPECT_EQ(pOld->m_eResult, CTVRPluginLoader::PLUGIN_ABI_MISMATCH);

  EXPECT_EQ(Find("mybrdhidden.so"), nullptr);
  EXPECT_EQ(Find("brdfolder.so"), nullptr);
  EXPECT_EQ(Find("brdnotes.txt"), nullptr);
}

TEST_F(PluginLoaderTest, RegistersInLoadOrderAndPluginOrder) {
  const std::vector<std::string> listing = ListFolder(PluginFolder("discovery"));
  const bool twoFirst = PositionIn(listing, "brdtwo.so") < PositionIn(listing, "BRDcaps.so");
  const std::vector<std::string> expected =
      twoFirst ? std::vector<std::string>{"CTVRPlugBoardOne", "CTVRPlugBoardTwo", "CTVRPlugCapsBoard"}
               : std::vector<std::string>{"CTVRPlugCapsBoard", "CTVRPlugBoardOne", "CTVRPlugBoardTwo"};
  EXPECT_EQ(TemplateClasses(), expected);

  // The template took the strings the library registered under its identifier.
  for (const auto& pTemplate : CTVRHost::Instance().GetTemplates()) {
    if (std::string(pTemplate->GetDocClass()->m_lpszClassName) == "CTVRPlugBoardTwo") {
      EXPECT_EQ(pTemplate->GetResourceId(), 9102u);
      EXPECT_EQ(pTemplate->GetDocName(), "Two");
      EXPECT_EQ(pTemplate->GetFileNewName(), "Board two");
    }
  }
  // Neither the static nor the init registration of the refused library stays.
  EXPECT_EQ(ProtocolNames(), (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST_F(PluginLoaderTest, TheLaterCypheringObjectReplacesTheEarlier) {
  const std::vector<std::string> listing = ListFolder(PluginFolder("discovery"));
  const bool aFirst = PositionIn(listing, "procryptoa.so") < PositionIn(listing, "procryptob.so");
  CTVRCrypto* pCrypto = CTVRHost::Instance().GetCrypto();
  ASSERT_NE(pCrypto, nullptr);
  EXPECT_EQ(pCrypto->m_strName, aFirst ? "crypto b" : "crypto a");
}

TEST_F(PluginLoaderTest, ALibraryIsInitialisedOnlyOnce) {
  const std::size_t nTemplates = CTVRHost::Instance().GetTemplates().size();
  const std::size_t nProtocols = CTVRHost::Instance().GetProtocols().size();
  auto again = CTVRPluginLoader().LoadFolder(PluginFolder("discovery") + "/");
  for (const auto& result : again) {
    if (result.m_strFileName == "brdbroken.so")
      EXPECT_EQ(result.m_eResult, CTVRPluginLoader::PLUGIN_LOAD_FAILED);
    else if (result.m_strFileName == "proabi.so")
      EXPECT_EQ(result.m_eResult, CTVRPluginLoader::PLUGIN_ABI_MISMATCH);
    else
      EXPECT_EQ(result.m_eResult, CTVRPluginLoader::PLUGIN_ALREADY_LOADED) << result.m_strFileName;
  }
  EXPECT_EQ(CTVRHost::Instance().GetTemplates().size(), nTemplates);
  EXPECT_EQ(CTVRHost::Instance().GetProtocols().size(), nProtocols);
}

TEST_F(PluginLoaderTest, SaysWhyOnlyWhenAskedTo) {
  unsetenv("TAVRIC_PLUGIN_DEBUG");
  testing::internal::CaptureStderr();
  CTVRPluginLoader().LoadFolder(PluginFolder("discovery"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  setenv("TAVRIC_PLUGIN_DEBUG", "", 1);  // set but empty counts as off
  testing::internal::CaptureStderr();
  CTVRPluginLoader().LoadFolder(PluginFolder("discovery"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  setenv("TAVRIC_PLUGIN_DEBUG", "1", 1);
  testing::internal::CaptureStderr();
  CTVRPluginLoader().LoadFolder(PluginFolder("discovery"));
  const std::string said = testing::internal::GetCapturedStderr();
  unsetenv("TAVRIC_PLUGIN_DEBUG");
  EXPECT_NE(said.find("brdbroken.so: not loaded"), std::string::npos) << said;
  EXPECT_NE(said.find("TavricTestNowhereDefined"), std::string::npos) << said;
  EXPECT_NE(said.find("proabi.so: skipped, ABI version 42"), std::string::npos) << said;
  EXPECT_NE(said.find("mybrdhidden.so: skipped, not a plug-in name"), std::string::npos) << said;
  EXPECT_NE(said.find("brdfolder.so: skipped, not a regular file"), std::string::npos) << said;
}

TEST(PluginLoader, AFolderThatCannotBeReadGivesNothing) {
  const std::size_t nTemplates = CTVRHost::Instance().GetTemplates().size();
  EXPECT_TRUE(CTVRPluginLoader().LoadFolder(PluginFolder("no-such-folder")).empty());
  EXPECT_TRUE(CTVRPluginLoader().LoadFolder(PluginFolder("empty")).empty());
  EXPECT_EQ(CTVRHost::Instance().GetTemplates().size(), nTemplates);
}

TEST_F(PluginLoaderTest, PluginBoardTypesMakeDocumentsWithDefaultTitles) {
  CTVRDocTemplate* pTemplate = nullptr;
  for (const auto& p : CTVRHost::Instance().GetTemplates())
    if (std::string(p->GetDocClass()->m_lpszClassName) == "CTVRPlugBoardOne") pTemplate = p.get();
  ASSERT_NE(pTemplate, nullptr);
  const int before = pTemplate->m_nUntitledCount;
  std::unique_ptr<CTVRBoardDoc> pFirst(pTemplate->OpenNewDocument());
  std::unique_ptr<CTVRBoardDoc> pSecond(pTemplate->OpenNewDocument());
  ASSERT_TRUE(pFirst && pSecond);
  EXPECT_EQ(pFirst->GetTitle(), "One" + std::to_string(before + 1));
  EXPECT_EQ(pSecond->GetTitle(), "One" + std::to_string(before + 2));
  EXPECT_EQ(pFirst->GetDocTemplate(), pTemplate);
  EXPECT_STREQ(pFirst->GetRuntimeClass()->m_lpszClassName, "CTVRPlugBoardOne");
  // The plug-in's override is what the host calls.
  EXPECT_TRUE(pFirst->Connect());
}

TEST_F(PluginLoaderTest, ShutdownDeletesTheProtocolsButNotTheCypheringObject) {
  // In a child process: the registries of this one stay for the other tests.
  EXPECT_EXIT(
      {
        void* handle = dlopen((PluginFolder("discovery") + "/proalpha.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        auto deleted = handle ? reinterpret_cast<int (*)()>(dlsym(handle, "TavricTestDeletedProtocols")) : nullptr;
        CTVRCrypto* pCrypto = CTVRHost::Instance().GetCrypto();
        CTVRHost::Instance().Shutdown();
        const bool ok = deleted != nullptr && deleted() == 2 && CTVRHost::Instance().GetProtocols().empty() &&
                        CTVRHost::Instance().GetTemplates().empty() && pCrypto != nullptr &&
                        pCrypto->m_strName.rfind("crypto ", 0) == 0;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
