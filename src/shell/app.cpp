#include "app.h"

#include <cstdio>

#include <QApplication>

#include "board_settings_box.h"
#include "command_setting_box.h"
#include "contract/host_context.h"
#include "contract/plugin_search.h"
#include "delay_options_box.h"
#include "document/board_settings_dlg.h"
#include "document/delay_options_dlg.h"
#include "document/workspace.h"
#include "main_frame.h"
#include "platform/user_prompts.h"
#include "shell_frames.h"
#include "widget_prompts.h"

CTVRApp::CTVRApp(CTVRHostContext& context) : m_Context(context) {}

CTVRApp::~CTVRApp() {
  if (m_pPrompts && m_bInstallPrompts) m_Context.SetPrompts(nullptr);
}

bool CTVRApp::InitInstance() {
  QApplication::setApplicationName(QStringLiteral("Tavric"));
  QApplication::setOrganizationName(QStringLiteral("Norvale Devices"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tavric.svg")));
  m_pPrompts = std::make_unique<CTVRWidgetPrompts>();
  if (m_bInstallPrompts) m_Context.SetPrompts(m_pPrompts.get());

  // Before the main window: every board type is known when documents come back.
  if (m_bDiscoverPlugins) {
    const auto found = CTVRPluginSearch::Load(m_Context, CTVRPluginSearch::Folders({}, m_Context.GetProgramFolder()));
    for (const std::string& line : CTVRPluginSearch::Replacements(found))
      std::fprintf(stderr, "tavric: %s\n", line.c_str());
  }

  m_pMainFrame = std::make_unique<CMainFrame>(m_Context);
  m_pPrompts->SetParent(m_pMainFrame.get());
  CTVRDelayOptionsBox::Install(m_pMainFrame.get());
  CTVRCommandSettingBox::Install(m_pMainFrame.get());
  CTVRBoardSettingsBox::Install(m_pMainFrame.get());
  // The documents' windows are the frame's child windows from now on: New
  // Script File and the restore make them there.
  m_pFrames = std::make_unique<CTVRShellFrames>(*m_pMainFrame);
  m_pWorkspace = std::make_unique<CTVRWorkspace>(m_Context, *m_pFrames);
  m_pMainFrame->m_OnSaveDocuments = [this] { SaveCustomState(); };
  m_pMainFrame->RestoreWorkspace();

  // The command line is parsed and ignored: no document comes from it.
  LoadCustomState();
  if (m_bShowMainWindow) m_pMainFrame->show();
  return true;
}

void CTVRApp::LoadCustomState() {
  if (!m_pMainFrame || !m_pWorkspace) return;
  m_pWorkspace->LoadCustomState();
}

void CTVRApp::SaveCustomState() {
  if (m_pWorkspace) m_pWorkspace->SaveCustomState();
}

void CTVRApp::ExitInstance() {
  // The frames go with the main window, the documents with their frames.
  m_pWorkspace.reset();
  m_pFrames.reset();
  m_pMainFrame.reset();
  CTVRDelayOptionsDlg::SetShowHook(nullptr);
  CTVRCommandSettingDlg::SetShowHook(nullptr);
  CTVRBoardSettingsDlg::SetShowHook(nullptr);
  m_Context.Host().Shutdown();
}
