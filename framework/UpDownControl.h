#pragma once
// An up-down control: two small arrow buttons beside a line edit (its buddy) that step the whole
// number in the buddy by one within a range, writing the new value back as text. The Up and Down
// keys in the buddy step it too. It never validates the buddy: the dialog's exchange does that.

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QToolButton;

namespace pictoma {

class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    // Makes `buddy` the field this control steps (null detaches it).
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return m_buddy.data(); }
    // Sets the range the arrows keep to; `lowest` must not exceed `highest`.
    void SetRange(int lowest, int highest);
    int Lowest() const { return m_lowest; }
    int Highest() const { return m_highest; }

    // Adds `steps` to the buddy's number (or, when it holds none, to the last position), limits
    // the result to the range and writes it into the buddy.
    void StepBy(int steps);

    QAbstractButton* UpButton() const;
    QAbstractButton* DownButton() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    QPointer<QLineEdit> m_buddy;
    int m_lowest = 0;
    int m_highest = 100;
    int m_position = 0;
};

}  // namespace pictoma
