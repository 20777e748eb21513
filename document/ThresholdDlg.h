#pragma once
// The Set Threshold dialog: type a threshold (100..180) or choose the default one. It only collects
// the choice; the document applies it after OK.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "Brightness.h"
#include "MessageBoxQt.h"
#include "UpDownControl.h"

namespace pictoma {

class CThresholdDlg : public QDialog {
    Q_OBJECT
public:
    // Validation prompts go to `messages`; null shows real message boxes over the dialog.
    explicit CThresholdDlg(QWidget* parent = nullptr, MessageSink* messages = nullptr);

    // Reads the value box back (whichever button is chosen) and closes with OK when it holds a
    // whole number in 100..180; otherwise prompts and stays open with the box focused.
    void accept() override;

    bool m_bUseDefault = false;

private:
    UpDownControl* m_spin;
    QLineEdit* m_edit;

public:
    int m_nThreshold = DEFAULT_THRESHOLD;  // set by the opener before the dialog is shown

    QLineEdit* ValueEdit() const { return m_edit; }
    UpDownControl* Spin() const { return m_spin; }
    QRadioButton* InputRadio() const { return m_input; }
    QRadioButton* DefaultRadio() const { return m_default; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    // Each time the dialog is shown: the value into the box, "input threshold value" checked,
    // the focus in the box.
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();

    QPushButton* m_ok;
    QPushButton* m_cancel;
    QRadioButton* m_input;
    QRadioButton* m_default;
    QtMessageSink m_ownMessages;
    MessageSink* m_messages;
};

}  // namespace pictoma
