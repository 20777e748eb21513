#include "CommPropertiesDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "DialogUnits.h"
#include "Protocol.h"

namespace vantrel {

namespace {

QFont DialogFont() {
    QFont font;
    font.setFamilies({"Helv", "MS Sans Serif", "Helvetica"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

// A drop-down list's rectangle includes its open list; the closed box keeps its own height.
void PlaceList(QComboBox* list, const QRect& rect) {
    list->setGeometry(rect.x(), rect.y(), rect.width(), list->sizeHint().height());
}

}  // namespace

CommPropertiesDlg::CommPropertiesDlg(const LinkSettings& link, QWidget* parent)
    : QDialog(parent), m_infrared(link.infrared != 0) {
    setWindowTitle("Comm Properties (Vantrel 1.1)");
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.Size(150, 112));

    // Made in the order of the tab chain: port list, rate list, check box, OK, Cancel.
    auto* frame = new QGroupBox(this);
    frame->setGeometry(du.Rect(8, 6, 134, 54));

    auto* portLabel = new QLabel("&COM port :", this);
    portLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    portLabel->setGeometry(du.Rect(12, 20, 44, 12));
    m_portList = new QComboBox(this);
    m_portList->setObjectName("port_list");
    for (int i = 0; i < kPortCount; ++i)
        m_portList->addItem(QString::fromStdString(PortName(i)));
    PlaceList(m_portList, du.Rect(68, 18, 60, 110));
    m_portList->setCurrentIndex(std::clamp(link.portIndex, 0, kPortCount - 1));
    portLabel->setBuddy(m_portList);

    auto* rateLabel = new QLabel("&Baud rate :", this);
    rateLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rateLabel->setGeometry(du.Rect(12, 40, 44, 12));
    m_rateList = new QComboBox(this);
    m_rateList->setObjectName("rate_list");
    for (std::uint32_t rate : kRates)
        m_rateList->addItem(QString::number(rate));
    PlaceList(m_rateList, du.Rect(68, 38, 60, 100));
    m_rateList->setCurrentIndex(std::clamp(link.rateIndex, 0, int(kRates.size()) - 1));
    rateLabel->setBuddy(m_rateList);

    m_infraredCheck = new QCheckBox(" Via Serial IR Transceiver", this);
    m_infraredCheck->setObjectName("infrared_check");
    m_infraredCheck->setGeometry(du.Rect(10, 68, 120, 15));
    m_infraredCheck->setChecked(m_infrared);
    connect(m_infraredCheck, &QCheckBox::clicked, this, &CommPropertiesDlg::OnInfraredClicked);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("ok_button");
    ok->setGeometry(du.Rect(8, 90, 48, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel_button");
    cancel->setGeometry(du.Rect(92, 90, 48, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_portList->setFocus();
}

LinkSettings CommPropertiesDlg::Settings() const {
    LinkSettings link;
    link.portIndex = m_portList->currentIndex();
    link.rateIndex = m_rateList->currentIndex();
    link.infrared = m_infrared ? 1 : 0;
    return link;
}

std::optional<LinkSettings> CommPropertiesDlg::Ask(const LinkSettings& link, QWidget* parent) {
    CommPropertiesDlg dialog(link, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Settings();
}

void CommPropertiesDlg::OnInfraredClicked() {
    // The flag is the program's own; the box only shows it.
    m_infrared = !m_infrared;
    m_infraredCheck->setChecked(m_infrared);
}

}  // namespace vantrel
