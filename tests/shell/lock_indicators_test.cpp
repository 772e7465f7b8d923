// The status bar's lock panes: text while the lock is on, blank while off,
// greyed texts where the display cannot tell.
#include <QLabel>

#include "shell/lock_indicators.h"
#include "shell_fixture.h"

namespace {

using LockIndicatorsTest = CTVRShellFixture;

QStringList Texts(CMainFrame& frame) {
  QStringList texts;
  for (QLabel* pPane : frame.GetIndicators()) texts << pPane->text();
  return texts;
}

TEST_F(LockIndicatorsTest, EachPaneShowsItsTextWhileItsLockIsOn) {
  struct Row {
    CTVRLockIndicators::State state;
    QStringList texts;
  };
  const Row rows[] = {
      {{false, false, false}, {"", "", ""}},        {{true, false, false}, {"CAP", "", ""}},
      {{false, true, false}, {"", "NUM", ""}},      {{false, false, true}, {"", "", "SCRL"}},
      {{true, true, true}, {"CAP", "NUM", "SCRL"}},
  };
  for (const Row& r : rows) {
    Frame().GetLockIndicators()->SetSource([&r] { return std::optional(r.state); });
    EXPECT_EQ(Texts(Frame()), r.texts);
    for (QLabel* pPane : Frame().GetIndicators()) EXPECT_TRUE(pPane->isEnabled());
  }
  EXPECT_EQ(Frame().GetIndicators()[1]->toolTip(), QStringLiteral("Num Lock"));
}

TEST_F(LockIndicatorsTest, WithoutAStateFromTheDisplayTheTextsStayGreyed) {
  // The offscreen display has no keyboard state.
  EXPECT_FALSE(CTVRLockIndicators::ReadDisplayState().has_value());
  EXPECT_EQ(Texts(Frame()), (QStringList{"CAP", "NUM", "SCRL"}));
  for (QLabel* pPane : Frame().GetIndicators()) EXPECT_FALSE(pPane->isEnabled());
  EXPECT_EQ(Frame().GetIndicators()[0]->toolTip(), QStringLiteral("Caps Lock: this display does not tell its state"));
  // A state that goes away again.
  bool known = true;
  Frame().GetLockIndicators()->SetSource([&known]() -> std::optional<CTVRLockIndicators::State> {
    if (!known) return std::nullopt;
    return CTVRLockIndicators::State{false, true, false};
  });
  EXPECT_EQ(Texts(Frame()), (QStringList{"", "NUM", ""}));
  known = false;
  Frame().GetLockIndicators()->Update();
  EXPECT_EQ(Texts(Frame()), (QStringList{"CAP", "NUM", "SCRL"}));
}

}  // namespace
