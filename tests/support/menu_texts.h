// Menus and toolbars as the widget tests compare them: the texts of their
// actions, "-" for a separator, and a menu of the menu bar by its title.
#pragma once

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

namespace tvr_test {

// Of any list of actions; with the states: " (off)" after a disabled item,
// " (on)" after a checked one.
template <class TActions>
QStringList ActionTexts(const TActions& actions, bool withStates = false) {
  QStringList texts;
  for (QAction* pAction : actions) {
    QString text = pAction->isSeparator() ? QStringLiteral("-") : pAction->text();
    if (withStates && !pAction->isSeparator() && !pAction->isEnabled()) text += QStringLiteral(" (off)");
    if (withStates && pAction->isCheckable() && pAction->isChecked()) text += QStringLiteral(" (on)");
    texts << text;
  }
  return texts;
}

inline QMenu* MenuTitled(QMenuBar* pBar, const QString& title) {
  for (QAction* pAction : pBar->actions())
    if (pAction->text() == title) return pAction->menu();
  return nullptr;
}

}  // namespace tvr_test
