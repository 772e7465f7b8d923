#include "shell/register_dlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include "regtool/regtool_texts.h"
#include "shell/register_row.h"

namespace {

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), int(text.size()));
}

}  // namespace

CRegisterDlg::CRegisterDlg(CTVRBoardDoc& doc, QWidget* parent, const std::string& folder)
    : QDialog(parent), m_pTool(std::make_unique<CRegisterTool>(doc)) {
  setWindowTitle(regtool_texts::DIALOG_TITLE);
  setModal(false);
  m_pCombo = new QComboBox(this);
  m_pCombo->setGeometry(5, 10, 240, 26);
  m_pSequence = new QPushButton(regtool_texts::READ_FIRST_REGISTER, this);
  m_pSequence->setGeometry(255, 10, 240, 26);
  m_pClose = new QPushButton("Close", this);
  m_pClose->setGeometry(505, 10, 80, 26);
  for (QPushButton* button : {m_pSequence, m_pClose}) button->setAutoDefault(false);

  m_pTool->m_OnRowChanged = [this](int row) {
    if (std::size_t(row) < m_Rows.size()) m_Rows[std::size_t(row)]->Refresh();
  };
  m_pTool->m_OnRowsChanged = [this] { MakeRows(); };

  const int selected = folder.empty() ? m_pTool->Open() : m_pTool->Open(folder);
  {
    // Filling the list is not a choice of the user's.
    const QSignalBlocker blocker(m_pCombo);
    for (const std::string& label : m_pTool->GetParamFile().GetLabels()) m_pCombo->addItem(Latin1(label));
    m_pCombo->setCurrentIndex(selected);
  }
  m_pSequence->setEnabled(m_pTool->IsSequenceEnabled());
  MakeRows();

  connect(m_pCombo, &QComboBox::currentIndexChanged, this, [this](int index) { m_pTool->SelectParamFile(index); });
  connect(m_pSequence, &QPushButton::clicked, this, &CRegisterDlg::OnReadNext);
  connect(m_pClose, &QPushButton::clicked, this, &QWidget::hide);
}

// The rows go before the tool: their clicks and the answer hook end together.
CRegisterDlg::~CRegisterDlg() {
  for (CRegisterRow* row : m_Rows) delete row;
  m_Rows.clear();
}

void CRegisterDlg::MakeRows() {
  for (CRegisterRow* row : m_Rows) delete row;
  m_Rows.clear();
  const int width = CRegisterRow::ROW_WIDTH;
  const int height = CRegisterRow::ROW_HEIGHT;
  for (int i = 0; i < m_pTool->GetRowCount(); ++i) {
    auto* row = new CRegisterRow(*m_pTool, i, this);
    row->move(5 + (i % 2) * (width + 5), 50 + (i / 2) * (height + 5));
    m_Rows.push_back(row);
  }
  const int lines = (m_pTool->GetRowCount() + 1) / 2;
  resize(std::max(5 + 2 * (width + 5), 590), 50 + std::max(lines, 1) * (height + 5));
  for (int i = 0; i < int(m_Rows.size()); ++i) m_Rows[std::size_t(i)]->Refresh();
  m_pSequence->setText(QString::fromLatin1(m_pTool->GetSequenceText().c_str()));
}

void CRegisterDlg::OnReadNext() {
  m_pTool->OnReadNext();
  m_pSequence->setText(QString::fromLatin1(m_pTool->GetSequenceText().c_str()));
}

void CRegisterDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
