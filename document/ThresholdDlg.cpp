#include "ThresholdDlg.h"

#include <QLabel>
#include <QShowEvent>

#include "DialogUnits.h"
#include "IntFieldQt.h"

namespace pictoma {

CThresholdDlg::CThresholdDlg(QWidget* parent, MessageSink* messages)
    : QDialog(parent),
      m_spin(new UpDownControl(this)),
      m_edit(new QLineEdit(this)),
      m_ok(new QPushButton(tr("OK"), this)),
      m_cancel(new QPushButton(tr("Cancel"), this)),
      m_input(new QRadioButton(tr("input threshold value"), this)),
      m_default(new QRadioButton(tr("use default threshold"), this)),
      m_ownMessages(this),
      m_messages(messages ? messages : &m_ownMessages) {
    setWindowTitle(tr("Threshold"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* label = new QLabel(tr("Value"), this);

    const QFont f = font();
    setFixedSize(DialogSize(f, 99, 90));
    m_edit->setGeometry(DialogRect(f, 40, 42, 36, 12));
    m_ok->setGeometry(DialogRect(f, 15, 63, 30, 11));
    m_cancel->setGeometry(DialogRect(f, 52, 63, 30, 11));
    m_input->setGeometry(DialogRect(f, 7, 15, 85, 10));
    m_default->setGeometry(DialogRect(f, 7, 29, 85, 10));
    label->setGeometry(DialogRect(f, 11, 44, 19, 8));
    m_spin->setGeometry(DialogRect(f, 77, 41, 10, 14));

    m_ok->setDefault(true);
    m_cancel->setAutoDefault(false);
    setTabOrder(m_edit, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_input);
    setTabOrder(m_input, m_default);

    connect(m_ok, &QPushButton::clicked, this, &CThresholdDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CThresholdDlg::reject);
    connect(m_input, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        m_bUseDefault = false;
        m_edit->setEnabled(true);
    });
    connect(m_default, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        m_bUseDefault = true;
        m_edit->setEnabled(false);
    });
}

void CThresholdDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) OnInitDialog();
}

void CThresholdDlg::OnInitDialog() {
    WriteIntField(*m_edit, m_nThreshold);
    m_input->setChecked(true);
    m_edit->setEnabled(true);
    m_spin->SetBuddy(m_edit);
    m_spin->SetRange(MIN_THRESHOLD, MAX_THRESHOLD);
    m_edit->setFocus(Qt::TabFocusReason);
    m_edit->selectAll();
}

void CThresholdDlg::accept() {
    const std::optional<int> value =
        ReadIntField(*m_edit, MIN_THRESHOLD, MAX_THRESHOLD, *m_messages);
    if (!value) return;
    m_nThreshold = *value;
    QDialog::accept();
}

}  // namespace pictoma
