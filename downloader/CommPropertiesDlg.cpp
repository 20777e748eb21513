#include "CommPropertiesDlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "DialogUnits.h"
#include "Protocol.h"
#include "QtSerialPort.h"

namespace vantrel {

namespace {

QFont DialogFont() {
    QFont font;
    font.setFamilies({"Helv", "MS Sans Serif", "Helvetica"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

// The port list: its open list is as wide as its longest entry (a device's by-id name, say),
// whatever the width of the closed box. The list is made only when it first opens, so that it
// never stands in the dialog's tab chain.
class PortList final : public QComboBox {
public:
    using QComboBox::QComboBox;
    void showPopup() override {
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)));
        view()->setMinimumWidth(widest + 4 * fontMetrics().averageCharWidth());
        QComboBox::showPopup();
    }
};

// A drop-down list's rectangle includes its open list; the closed box keeps its own height.
void PlaceList(QComboBox* list, const QRect& rect) {
    list->setGeometry(rect.x(), rect.y(), rect.width(), list->sizeHint().height());
}

}  // namespace

CommPropertiesDlg::CommPropertiesDlg(const LinkSettings& link, QWidget* parent)
    : CommPropertiesDlg(link, SystemPortChoices(), parent) {}

CommPropertiesDlg::CommPropertiesDlg(const LinkSettings& link, std::vector<PortChoice> choices,
                                     QWidget* parent)
    : QDialog(parent), m_choices(std::move(choices)), m_infrared(link.infrared != 0) {
    setWindowTitle("Comm Properties (Vantrel 1.1)");
    setFont(DialogFont());
    const DialogUnits du(font());
    // Wider than the rate list needs, for the devices the port entries name.
    setFixedSize(du.Size(230, 112));

    // Made in the order of the tab chain: port list, rate list, check box, OK, Cancel.
    auto* frame = new QGroupBox(this);
    frame->setGeometry(du.Rect(8, 6, 214, 54));

    auto* portLabel = new QLabel("&COM port :", this);
    portLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    portLabel->setGeometry(du.Rect(12, 20, 44, 12));
    m_portList = new PortList(this);
    m_portList->setObjectName("port_list");
    // Any device path can be typed; what is typed is not added to the list.
    m_portList->setEditable(true);
    m_portList->setInsertPolicy(QComboBox::NoInsert);
    // The field's line edit passes its focus to the list, which stays one stop of the tab chain.
    // (Its policy spreads to the list, its focus proxy, which gets its own back.)
    const Qt::FocusPolicy listPolicy = m_portList->focusPolicy();
    m_portList->lineEdit()->setFocusPolicy(Qt::NoFocus);
    m_portList->setFocusPolicy(listPolicy);
    for (const PortChoice& choice : m_choices)
        m_portList->addItem(QString::fromStdString(choice.label));
    PlaceList(m_portList, du.Rect(68, 18, 146, 110));
    if (!link.device.empty()) {
        const PortChoice chosen = ChoiceForText(link.device, m_choices);
        const auto listed = std::find_if(
            m_choices.begin(), m_choices.end(),
            [&](const PortChoice& c) { return !c.device.empty() && c.device == chosen.device; });
        if (listed != m_choices.end()) {
            m_portList->setCurrentIndex(int(listed - m_choices.begin()));
        } else {
            m_portList->setCurrentIndex(-1);
            m_portList->setEditText(QString::fromStdString(link.device));
        }
    } else {
        m_portList->setCurrentIndex(std::clamp(link.portIndex, 0, kPortCount - 1));
    }
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
    cancel->setGeometry(du.Rect(174, 90, 48, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_portList->setFocus();
}

LinkSettings CommPropertiesDlg::Settings() const {
    LinkSettings link;
    const PortChoice port = ChoiceForText(m_portList->currentText().toStdString(), m_choices);
    link.portIndex = std::max(port.portIndex, 0);
    link.device = port.device;
    link.rateIndex = m_rateList->currentIndex();
    link.infrared = m_infrared ? 1 : 0;
    return link;
}

std::optional<LinkSettings> CommPropertiesDlg::Ask(const LinkSettings& link, QWidget* parent) {
    return Ask(link, SystemPortChoices(), parent);
}

std::optional<LinkSettings> CommPropertiesDlg::Ask(const LinkSettings& link,
                                                   std::vector<PortChoice> choices,
                                                   QWidget* parent) {
    CommPropertiesDlg dialog(link, std::move(choices), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Settings();
}

void CommPropertiesDlg::OnInfraredClicked() {
    // The flag is the program's own; the box only shows it.
    m_infrared = !m_infrared;
    m_infraredCheck->setChecked(m_infrared);
}

}  // namespace vantrel
