// The status bar's "CAP", "NUM" and "SCRL" panes kept to the keyboard's lock
// state. A pane shows its text while its lock is on and is blank while it is
// off. Where the display gives no lock state (offscreen, a Wayland session
// without X), the three texts stay, greyed, and say so in their tooltip.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QObject>

class QLabel;
class QTimer;

class CTVRLockIndicators : public QObject {
  Q_OBJECT

 public:
  enum ELock { LOCK_CAPS, LOCK_NUM, LOCK_SCROLL, LOCK_COUNT };
  using State = std::array<bool, LOCK_COUNT>;
  // The lock state, or nothing where the display cannot tell.
  using Source = std::function<std::optional<State>()>;

  // The panes in the order CAP, NUM, SCRL; they stay the status bar's.
  CTVRLockIndicators(std::array<QLabel*, LOCK_COUNT> panes, QObject* parent = nullptr);

  // The state of the display the program runs on (X11 through XKB).
  static std::optional<State> ReadDisplayState();
  // For tests: another source of the state.
  void SetSource(Source source);
  // Reads the state and shows it; also run on a short tick and on lock keys.
  void Update();

 protected:
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

 private:
  std::array<QLabel*, LOCK_COUNT> m_Panes;
  Source m_Source;
  QTimer* m_pTimer;
};
