// A bare run cycle: message A's handler posts B, B's handler posts A, the way a
// script statement goes out and its answer comes back. Prints the cost of one
// statement (two messages) through the named-message queue, and through one
// QCoreApplication::postEvent per message for comparison.
//
//   message_cycle [statements]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <tavric/message_window.h>
#include <tavric/messages.h>

#include "platform/dispatcher.h"

namespace {

using Clock = std::chrono::steady_clock;

class CCycleWindow : public CTVRMessageWindow {
 public:
  CCycleWindow(tvr::UINT msgA, tvr::UINT msgB, long statements) : m_nStatements(statements) {
    SetHandler(msgA, [this, msgB](tvr::WPARAM, tvr::LPARAM) {
      PostMessage(GetSafeHwnd(), msgB, 0, 0);
      return tvr::LRESULT(1);
    });
    SetHandler(msgB, [this, msgA](tvr::WPARAM, tvr::LPARAM) {
      if (++m_nDone < m_nStatements) PostMessage(GetSafeHwnd(), msgA, 0, 0);
      return tvr::LRESULT(1);
    });
  }
  long m_nStatements;
  long m_nDone = 0;
};

double QueueCycle(long statements) {
  const tvr::UINT msgA = RegisterMessage("Bench::CycleA");
  const tvr::UINT msgB = RegisterMessage("Bench::CycleB");
  CCycleWindow window(msgA, msgB, statements);
  const Clock::time_point start = Clock::now();
  PostMessage(window.GetSafeHwnd(), msgA, 0, 0);
  CTVRDispatcher::GetInstalled()->RunUntil([&] { return window.m_nDone >= statements; }, std::chrono::minutes(5));
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  return us / double(std::max(1L, window.m_nDone));
}

const QEvent::Type kEventA = QEvent::Type(QEvent::registerEventType());
const QEvent::Type kEventB = QEvent::Type(QEvent::registerEventType());

class CCycleObject : public QObject {
 public:
  CCycleObject(long statements, QEventLoop* pLoop) : m_nStatements(statements), m_pLoop(pLoop) {}
  bool event(QEvent* e) override {
    if (e->type() == kEventA) {
      QCoreApplication::postEvent(this, new QEvent(kEventB));
      return true;
    }
    if (e->type() == kEventB) {
      if (++m_nDone < m_nStatements)
        QCoreApplication::postEvent(this, new QEvent(kEventA));
      else
        m_pLoop->quit();
      return true;
    }
    return QObject::event(e);
  }
  long m_nStatements;
  long m_nDone = 0;
  QEventLoop* m_pLoop;
};

double PostEventCycle(long statements) {
  QEventLoop loop;
  CCycleObject object(statements, &loop);
  const Clock::time_point start = Clock::now();
  QCoreApplication::postEvent(&object, new QEvent(kEventA));
  loop.exec();
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  return us / double(std::max(1L, object.m_nDone));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  CTVRDispatcher dispatcher;  // the programs' context makes and installs theirs
  dispatcher.Install();
  long statements = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (statements <= 0) statements = 1000000;
  // One event per message is tens of times slower: a smaller run says as much.
  const long postEventStatements = std::max(1L, statements / 20);

  QueueCycle(statements / 10 + 1);  // warm-up
  double best = 1e9;
  for (int i = 0; i < 3; ++i) best = std::min(best, QueueCycle(statements));
  std::printf("named-message queue:       %8.3f us per statement (two messages), best of 3 x %ld\n", best, statements);

  PostEventCycle(postEventStatements / 10 + 1);
  double bestQt = 1e9;
  for (int i = 0; i < 3; ++i) bestQt = std::min(bestQt, PostEventCycle(postEventStatements));
  std::printf("postEvent per message:     %8.3f us per statement (two messages), best of 3 x %ld\n", bestQt,
              postEventStatements);
  return 0;
}
