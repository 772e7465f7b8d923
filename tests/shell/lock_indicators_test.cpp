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

// The offscreen display has no keyboard state: the texts stay greyed, as
// they are again when a state known before goes away.
TEST_F(LockIndicatorsTest, EachPaneShowsItsTextWhileItsLockIsOnAndAllAreGreyedWithoutAState) {
  EXPECT_FALSE(CTVRLockIndicators::ReadDisplayState().has_value());
  EXPECT_EQ(Texts(Frame()), (QStringList{"CAP", "NUM", "SCRL"}));
  for (QLabel* pPane : Frame().GetIndicators()) EXPECT_FALSE(pPane->isEnabled());
  EXPECT_EQ(Frame().GetIndicators()[0]->toolTip(), QStringLiteral("Caps Lock: this display does not tell its state"));
  using State = std::optional<CTVRLockIndicators::State>;
  const std::pair<State, QStringList> rows[] = {
      {State({false, false, false}), {"", "", ""}},        {State({true, false, false}), {"CAP", "", ""}},
      {State({false, true, false}), {"", "NUM", ""}},      {State({false, false, true}), {"", "", "SCRL"}},
      {State({true, true, true}), {"CAP", "NUM", "SCRL"}}, {std::nullopt, {"CAP", "NUM", "SCRL"}},
  };
  State state;
  Frame().GetLockIndicators()->SetSource([&state] { return state; });
  for (const auto& [known, texts] : rows) {
    state = known;
    Frame().GetLockIndicators()->Update();
    EXPECT_EQ(Texts(Frame()), texts);
    for (QLabel* pPane : Frame().GetIndicators()) EXPECT_EQ(pPane->isEnabled(), known.has_value());
    if (known) {
      EXPECT_EQ(Frame().GetIndicators()[1]->toolTip(), QStringLiteral("Num Lock"));
    }
  }
}

}  // namespace
