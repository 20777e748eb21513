#pragma once
// The size dialog of New and Resize: a width of 8..128 and a height of 1..64 pixels. The caller
// presets m_nWidth and m_nHeight and reads them after OK.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "MessageBoxQt.h"
#include "UpDownControl.h"

namespace pictoma {

// The sizes the dialog accepts.
constexpr int kSizeMinWidth = 8;
constexpr int kSizeMaxWidth = 128;
constexpr int kSizeMinHeight = 1;
constexpr int kSizeMaxHeight = 64;

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
