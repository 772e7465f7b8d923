// The Customize dialog: the "Toolbars" page shows and hides the nine
// toolbars, resets one to its buttons as built or edits its buttons; the
// "Tools" page edits the user-defined tools of the Tools menu, taken when the
// dialog closes. Changes to the bars apply at once, as docking does.
#pragma once

#include <QDialog>

class CMainFrame;
class CTVRUserToolsMenu;
class CTVRUserToolsPage;
class QListWidget;
class QPushButton;
class QTabWidget;

class CTVRCustomizeDlg : public QDialog {
  Q_OBJECT

 public:
  enum EPage { PAGE_TOOLBARS, PAGE_TOOLS };

  CTVRCustomizeDlg(CMainFrame& frame, CTVRUserToolsMenu& tools, QWidget* parent = nullptr);

  void SetPage(EPage page);
  QListWidget* GetBarList() const { return m_pBars; }
  QPushButton* GetResetButton() const { return m_pReset; }
  QPushButton* GetEditButton() const { return m_pEdit; }
  CTVRUserToolsPage* GetToolsPage() const { return m_pToolsPage; }

  void done(int result) override;

 private:
  void OnEdit();

  CMainFrame& m_Frame;
  CTVRUserToolsMenu& m_Tools;
  QTabWidget* m_pTabs;
  QListWidget* m_pBars;
  QPushButton* m_pReset;
  QPushButton* m_pEdit;
  CTVRUserToolsPage* m_pToolsPage;
};
