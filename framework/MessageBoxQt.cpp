#include "MessageBoxQt.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace pictoma {

MsgAnswer ShowMessageBox(QWidget* parent, const QString& title, std::string_view text, MsgIcon icon,
                         MsgButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    switch (icon) {
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    if (buttons == MsgButtons::SaveDiscardCancel) {
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
            case QMessageBox::Save:
                return MsgAnswer::Save;
            case QMessageBox::Discard:
                return MsgAnswer::Discard;
            default:
                return MsgAnswer::Cancel;
        }
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

QtMessageSink::QtMessageSink(QWidget* parent, QString title)
    : m_parent(parent), m_title(std::move(title)) {}

QString QtMessageSink::Title() const {
    return m_title.isEmpty() ? QGuiApplication::applicationDisplayName() : m_title;
}

MsgAnswer QtMessageSink::Message(std::string_view text, MsgIcon icon, MsgButtons buttons) {
    return ShowMessageBox(m_parent.data(), Title(), text, icon, buttons);
}

}  // namespace pictoma
