#include "UpDownControl.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace pictoma {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { StepBy(-1); });
    setFocusPolicy(Qt::NoFocus);
}

void UpDownControl::SetBuddy(QLineEdit* buddy) {
    if (m_buddy) m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy) m_buddy->installEventFilter(this);
}

void UpDownControl::SetRange(int lowest, int highest) {
    m_lowest = lowest;
    m_highest = std::max(lowest, highest);
    m_position = std::clamp(m_position, m_lowest, m_highest);
}

void UpDownControl::StepBy(int steps) {
    if (!m_buddy) return;
    bool ok = false;
    const long long typed = m_buddy->text().trimmed().toLongLong(&ok);
    const long long from = ok ? typed : m_position;
    m_position = int(std::clamp<long long>(from + steps, m_lowest, m_highest));
    m_buddy->setText(QString::number(m_position));
}

QAbstractButton* UpDownControl::UpButton() const {
    return m_up;
}
QAbstractButton* UpDownControl::DownButton() const {
    return m_down;
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace pictoma
