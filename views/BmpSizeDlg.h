#pragma once
// The size dialog of New and Resize: a width and a height within the limits of SizeLimits.h (8..128
// and 1..64 pixels). The caller presets m_nWidth and m_nHeight and reads them after OK.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "MessageBoxQt.h"
#include "SizeLimits.h"
#include "UpDownControl.h"

namespace pictoma {

class CBmpSizeDlg : public QDialog {
    Q_OBJECT
public:
    // Validation prompts go to `messages`; null shows real message boxes over the dialog.
    explicit CBmpSizeDlg(QWidget* parent = nullptr, MessageSink* messages = nullptr);

    // Reads the height, then the width; closes with OK when both are whole numbers in range,
    // otherwise prompts and stays open with the failing box focused. The fields change only
    // when both are valid.
    void accept() override;

    UpDownControl* m_spinWidth;
    UpDownControl* m_spinHeight;
    int m_nHeight = 0;
    int m_nWidth = 8;

    QLineEdit* WidthEdit() const { return m_editWidth; }
    QLineEdit* HeightEdit() const { return m_editHeight; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    // Each time the dialog is shown (the preview shows one dialog many times): the fields into
    // the boxes and the focus in the width box.
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();

    QLineEdit* m_editWidth;
    QLineEdit* m_editHeight;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QtMessageSink m_ownMessages;
    MessageSink* m_messages;
};

}  // namespace pictoma
