#include "QtHost.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <algorithm>

#include "CommPropertiesDlg.h"
#include "ProgressDlg.h"
#include "Protocol.h"
#include "QtSerialPort.h"

namespace vantrel {

namespace {

QString FromLocal(std::string_view s) {
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Stop:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// A hand-held terminal with a download arrow, in colours of the 16-colour palette.
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const double s = size / 16.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRectF(3, 1, 10, 14));
    p.setBrush(QColor(0x00, 0x80, 0x00));
    p.drawRect(QRectF(4, 2, 8, 6));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(4 + col * 3, 10 + row * 2.5, 2, 1.5));
    }
    p.setBrush(QColor(0xFF, 0xFF, 0x00));
    const QPointF arrow[] = {{6.5, 3}, {9.5, 3}, {9.5, 5}, {11, 5}, {8, 7.5}, {5, 5}, {6.5, 5}};
    p.drawPolygon(arrow, 7);
    return pixmap;
}

}  // namespace

QIcon LookupIcon() {
    QIcon icon;
    icon.addPixmap(DrawIcon(16));
    icon.addPixmap(DrawIcon(32));
    return icon;
}

QStringList LookupFileFilters() {
#ifdef _WIN32
    return {"Lookup data files {*.TXT} (*.TXT)", "All files {*.*} (*.*)"};
#else
    return {"Lookup data files {*.TXT} (*.TXT *.txt *.Txt)", "All files {*.*} (*)"};
#endif
}

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

MsgAnswer QtHost::Message(std::string_view text, std::string_view title, MsgIcon icon,
                          MsgButtons buttons) {
    return MessageWithReason(text, {}, title, icon, buttons);
}

MsgAnswer QtHost::MessageWithReason(std::string_view text, std::string_view reason,
                                    std::string_view title, MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(
        BoxIcon(icon), FromLocal(title), FromLocal(text),
        buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (!reason.empty()) box.setInformativeText(FromLocal(reason));
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        default:
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

void QtHost::ShowProgress() {
    if (progress_) return;
    progress_ = std::make_unique<ProgressDlg>();
    progress_->setWindowIcon(LookupIcon());
    QObject::connect(progress_.get(), &ProgressDlg::cancelRequested, [this] { cancelled_ = true; });
    progress_->show();
    progress_->SetPosition(0);
}

void QtHost::Open() {
    ShowProgress();
    sinkOpen_ = true;
    progress_->SetPosition(0);
}

void QtHost::SetPosition(int percent) {
    if (progress_) progress_->SetPosition(percent);
}

void QtHost::Close() {
    sinkOpen_ = false;
    progress_.reset();
}

void QtHost::Status(std::string_view text) {
    if (text.empty()) {
        // The handshakes went unanswered: the window goes before the message comes.
        if (!sinkOpen_) progress_.reset();
        return;
    }
    ShowProgress();
    progress_->SetStatus(FromLocal(text));
}

std::optional<std::string> QtHost::ChooseFile(const std::string& initialDir) {
    QFileDialog dialog(nullptr);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The list shows the filters' own names; the patterns behind them stay hidden.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(LookupFileFilters());
    dialog.selectNameFilter(LookupFileFilters().front());
    dialog.setDirectory(FromLocal(initialDir));
    dialog.setDefaultSuffix("TXT");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

std::optional<LinkSettings> QtHost::AskLinkSettings(const LinkSettings& link) {
    std::vector<PortChoice> choices = SystemPortChoices();
    const LinkSettings preset = RememberedLink(link, choices);
    std::optional<LinkSettings> confirmed =
        CommPropertiesDlg::Ask(preset, std::move(choices), QApplication::focusWidget());
    if (confirmed) RememberLink(*confirmed);
    return confirmed;
}

LinkSettings RememberedLink(const LinkSettings& fallback, const std::vector<PortChoice>& choices) {
    LinkSettings link = fallback;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "vantrel", "vantrel");
    if (link.device.empty() && settings.contains("port")) {
        const PortChoice port =
            ChoiceForText(settings.value("port").toString().toStdString(), choices);
        link.portIndex = std::max(port.portIndex, 0);
        link.device = port.device;
    }
    bool ok = false;
    const int rate = settings.value("rate").toInt(&ok);
    if (ok && rate >= 0 && rate < int(kRates.size())) link.rateIndex = rate;
    return link;
}

void RememberLink(const LinkSettings& link) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "vantrel", "vantrel");
    settings.setValue("port", QString::fromStdString(link.device.empty() ? PortName(link.portIndex)
                                                                         : link.device));
    settings.setValue("rate", link.rateIndex);
}

}  // namespace vantrel
