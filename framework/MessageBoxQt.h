#pragma once
// The message-box service of the Qt programs: a modal box titled with the application's title.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "Messages.h"

namespace pictoma {

// Shows `text` in a modal box over `parent` (may be null), titled `title`, with `icon` and
// `buttons`; returns the button chosen. Escape or the close box answer No in a Yes/No box.
MsgAnswer ShowMessageBox(QWidget* parent, const QString& title, std::string_view text, MsgIcon icon,
                         MsgButtons buttons);

class QtMessageSink : public MessageSink {
public:
    // Boxes open over `parent` (may be null) and carry `title`; an empty title means the
    // application's display name at the time a box is shown.
    explicit QtMessageSink(QWidget* parent = nullptr, QString title = {});

    // Shows the box and returns the answer (see ShowMessageBox).
    MsgAnswer Message(std::string_view text, MsgIcon icon, MsgButtons buttons) override;
    void SetParent(QWidget* parent) { m_parent = parent; }
    // The title boxes are shown with.
    QString Title() const;

private:
    QPointer<QWidget> m_parent;
    QString m_title;
};

}  // namespace pictoma
