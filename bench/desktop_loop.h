// What the desktop benchmarks share: the loop they run (99 Verta loopback
// commands and an .info, the trace on) and a document of the simulated
// reader, with the plug-ins taken from the run folder.
#pragma once

#include <string>
#include <vector>

#include <QCoreApplication>

#include <tavric/doc_template.h>
#include <tavric/tavric.h>

#include "contract/host_context.h"
#include "contract/plugin_loader.h"

namespace tvr_bench {

constexpr int COMMANDS_PER_LOOP = 99;

inline std::vector<std::string> LoopScript() {
  std::vector<std::string> lines{".command;", ".trace(on);", ".info;"};
  for (int i = 0; i < COMMANDS_PER_LOOP; ++i) lines.emplace_back("40 01 02 03 04 05 06 07 08;");
  return lines;
}

inline CTVRBoardDoc* NewSimDocument(CTVRHostContext& context) {
  for (auto& pTemplate : context.Host().GetTemplates()) {
    if (std::string(pTemplate->GetDocClass()->m_lpszClassName) == "CTVRSimDoc") return pTemplate->OpenNewDocument();
  }
  return nullptr;
}

// The plug-ins and description files of the run folder, where the program is.
inline void LoadRunFolder(CTVRHostContext& context) {
  const std::string folder = QCoreApplication::applicationDirPath().toStdString();
  CTVRPluginLoader(context).LoadFolder(folder);
  context.Host().SetProgramFolder(folder);
}

}  // namespace tvr_bench
