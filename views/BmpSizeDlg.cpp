#include "BmpSizeDlg.h"

#include <QLabel>
#include <QShowEvent>

#include "DialogUnits.h"
#include "IntFieldQt.h"

namespace pictoma {

CBmpSizeDlg::CBmpSizeDlg(QWidget* parent, MessageSink* messages)
    : QDialog(parent),
      m_spinWidth(new UpDownControl(this)),
      m_spinHeight(new UpDownControl(this)),
      m_editWidth(new QLineEdit(this)),
      m_editHeight(new QLineEdit(this)),
      m_ok(new QPushButton(tr("OK"), this)),
      m_cancel(new QPushButton(tr("Cancel"), this)),
      m_ownMessages(this),
      m_messages(messages ? messages : &m_ownMessages) {
    setWindowTitle(tr("Bmp Size"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* widthLabel = new QLabel(tr("Width"), this);
    auto* heightLabel = new QLabel(tr("Height"), this);

    const QFont f = font();
    setFixedSize(DialogSize(f, 93, 70));
    m_editWidth->setGeometry(DialogRect(f, 38, 13, 30, 12));
    m_editHeight->setGeometry(DialogRect(f, 38, 29, 30, 12));
    m_ok->setGeometry(DialogRect(f, 16, 47, 25, 12));
    m_cancel->setGeometry(DialogRect(f, 49, 47, 25, 12));
    widthLabel->setGeometry(DialogRect(f, 15, 14, 20, 8));
    m_spinWidth->setGeometry(DialogRect(f, 68, 13, 9, 12));
    heightLabel->setGeometry(DialogRect(f, 14, 30, 22, 8));
    m_spinHeight->setGeometry(DialogRect(f, 68, 28, 9, 12));

    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    setTabOrder(m_editWidth, m_editHeight);
    setTabOrder(m_editHeight, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &CBmpSizeDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CBmpSizeDlg::reject);
}

void CBmpSizeDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) OnInitDialog();
}

void CBmpSizeDlg::OnInitDialog() {
    WriteIntField(*m_editHeight, m_nHeight);
    WriteIntField(*m_editWidth, m_nWidth);
    m_spinHeight->SetBuddy(m_editHeight);
    m_spinWidth->SetBuddy(m_editWidth);
    m_spinWidth->SetRange(MIN_SIZE_WIDTH, MAX_SIZE_WIDTH);
    m_spinHeight->SetRange(MIN_SIZE_HEIGHT, MAX_SIZE_HEIGHT);
    m_editWidth->setFocus(Qt::TabFocusReason);
    m_editWidth->selectAll();
}

void CBmpSizeDlg::accept() {
    const std::optional<int> height =
        ReadIntField(*m_editHeight, MIN_SIZE_HEIGHT, MAX_SIZE_HEIGHT, *m_messages);
    if (!height) return;
    const std::optional<int> width =
        ReadIntField(*m_editWidth, MIN_SIZE_WIDTH, MAX_SIZE_WIDTH, *m_messages);
    if (!width) return;
    m_nHeight = *height;
    m_nWidth = *width;
    QDialog::accept();
}

}  // namespace pictoma
