#include "lock_indicators.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#ifdef TAVRIC_HAVE_XKB
#include <X11/XKBlib.h>
// The X headers define names that Qt uses for its own.
#undef Bool
#undef KeyPress
#undef KeyRelease
#undef None
#undef Status
#endif

namespace {

const char* const kTexts[CTVRLockIndicators::LOCK_COUNT] = {"CAP", "NUM", "SCRL"};
const char* const kNames[CTVRLockIndicators::LOCK_COUNT] = {"Caps Lock", "Num Lock", "Scroll Lock"};

}  // namespace

CTVRLockIndicators::CTVRLockIndicators(std::array<QLabel*, LOCK_COUNT> panes, QObject* parent)
    : QObject(parent), m_Panes(panes), m_Source(&CTVRLockIndicators::ReadDisplayState) {
  // The display sends no event when a lock changes while another program has
  // the keyboard: a light tick catches those, the key filter the program's own.
  m_pTimer = new QTimer(this);
  connect(m_pTimer, &QTimer::timeout, this, &CTVRLockIndicators::Update);
  m_pTimer->start(500);
  if (qApp != nullptr) qApp->installEventFilter(this);
  Update();
}

std::optional<CTVRLockIndicators::State> CTVRLockIndicators::ReadDisplayState() {
#ifdef TAVRIC_HAVE_XKB
  auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* pDisplay = pX11 != nullptr ? pX11->display() : nullptr;
  if (pDisplay == nullptr) return std::nullopt;
  // By the indicators' names: their bit numbers differ between keymaps.
  State state{};
  for (int i = 0; i < LOCK_COUNT; ++i) {
    int on = 0;
    const Atom name = XInternAtom(pDisplay, kNames[i], 0);
    if (!XkbGetNamedIndicator(pDisplay, name, nullptr, &on, nullptr, nullptr)) return std::nullopt;
    state[i] = on != 0;
  }
  return state;
#else
  return std::nullopt;
#endif
}

void CTVRLockIndicators::SetSource(Source source) {
  m_Source = std::move(source);
  Update();
}

void CTVRLockIndicators::Update() {
  const std::optional<State> state = m_Source ? m_Source() : std::nullopt;
  for (int i = 0; i < LOCK_COUNT; ++i) {
    QLabel* pPane = m_Panes[i];
    if (pPane == nullptr) continue;
    const QString text = !state || (*state)[i] ? QString::fromLatin1(kTexts[i]) : QString();
    if (pPane->text() != text) pPane->setText(text);
    pPane->setEnabled(state.has_value());
    pPane->setToolTip(state ? QString::fromLatin1(kNames[i])
                            : QStringLiteral("%1: this display does not tell its state").arg(kNames[i]));
  }
}

bool CTVRLockIndicators::eventFilter(QObject* pWatched, QEvent* pEvent) {
  if (pEvent->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(pEvent)->key();
    // The lock has changed by the time the key comes back up.
    if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
      QTimer::singleShot(0, this, &CTVRLockIndicators::Update);
  }
  return QObject::eventFilter(pWatched, pEvent);
}
