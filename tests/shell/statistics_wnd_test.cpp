// The Statistics window counts a reader's answers per script line while it is
// open, and stops counting when it closes.
#include <QTableWidget>

#include "document/board_doc_private.h"
#include "shell/statistics_wnd.h"
#include "shell_fixture.h"

namespace {

using StatisticsWndTest = CTVRShellFixture;

TEST_F(StatisticsWndTest, EachLineWithItsTimesAndTheCountingEndsWithTheWindow) {
  AddBoardType(6100, "Timed reader");
  auto* pDoc = static_cast<CTVRTestBoard*>(m_Context.Host().GetTemplates().back()->OpenNewDocument());
  ASSERT_NE(pDoc, nullptr);
  CTVRTestProtocol protocol;
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(*pDoc);
  doc.m_pProtocol = &protocol;
  m_Context.Host().SetActiveDocument(pDoc);
  pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  // Frames 0, 2, 4: 1, 3, 5 ms; frames 1, 3, 5: 10 ms.
  pDoc->m_RoundTrip = [](std::size_t n) -> std::chrono::nanoseconds {
    return n % 2 ? std::chrono::milliseconds(10) : std::chrono::milliseconds(n + 1);
  };
  {
    CTVRStatisticsWnd window(m_Context, *pDoc);
    doc.SetScriptLines({".command;", "40 01;", "40 02;", "40 01;", "40 02;", "40 01;", "40 02;"});
    doc.OnScriptStart();
    CTVRDispatcher::GetInstalled()->RunUntilIdle();
    window.Refresh();
    const QTableWidget& table = *window.GetTable();
    ASSERT_EQ(table.rowCount(), 6);
    const QStringList first = {"2", "1", "1.000", "1.000", "1.000", "1.000", "40 01;"};
    const QStringList last = {"7", "1", "10.000", "10.000", "10.000", "10.000", "40 02;"};
    for (int column = 0; column < 7; ++column) {
      EXPECT_EQ(table.item(0, column)->text(), first[column]) << column;
      EXPECT_EQ(table.item(5, column)->text(), last[column]) << column;
    }
    EXPECT_EQ(table.item(4, 2)->text(), "5.000");
  }
  EXPECT_EQ(doc.GetRoundTripStats(), nullptr) << "closed: nothing is counted any more";
}

}  // namespace
