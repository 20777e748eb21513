#pragma once
// The export dialog: shows the picture as show_image source text in C or BASIC for a position on
// the terminal's screen, and copies the text to the clipboard or saves it as a text file.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QDialog>
#include <QString>

#include "IconSource.h"
#include "Messages.h"
#include "mono.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pictoma {

// The line under the screen preview when the picture does not lie wholly on the screen.
inline constexpr const char* kDoesNotFit = "The picture does not fit the screen at this position";

class CScreenPreview;

// The save-file dialog's filter and default extension.
inline constexpr const char* kExportFilter = "文本文件(*.txt)";
inline constexpr const char* kExportDefaultSuffix = "txt";

class CExportDlg : public QDialog {
    Q_OBJECT

public:
    // Asks where to save; the chosen path, or nullopt when the user cancelled.
    using SavePathAsker = std::function<std::optional<QString>(QWidget* parent)>;
    // Puts plain text on the clipboard.
    using ClipboardWriter = std::function<void(const QString& text)>;

    // Builds the dialog for `request` (it keeps its own copy of the picture),
    // fills x and y, selects the C form and generates it. Prompts show in message boxes over it.
    explicit CExportDlg(const ExportRequest& request, QWidget* parent = nullptr);
    // The same, with the prompts and the save failure going to `messages`.
    CExportDlg(const ExportRequest& request, MessageSink& messages, QWidget* parent = nullptr);

    // Replaces the save-file dialog (tests answer without opening one).
    void SetSavePathAsker(SavePathAsker ask) { m_askSavePath = std::move(ask); }
    // Replaces the system clipboard.
    void SetClipboardWriter(ClipboardWriter write) { m_writeClipboard = std::move(write); }

    // The text last generated, exactly as shown, copied and saved (CR LF line ends).
    const std::string& Text() const { return m_text; }
    // The position as last read from the fields (a value out of range included).
    int X() const { return m_x; }
    int Y() const { return m_y; }
    // Whether Save has written the text to a file while the dialog was open.
    bool Saved() const { return m_saved; }

    // Exit: closes only when both fields read back valid; otherwise prompts and stays open.
    void accept() override;

    // The save-file dialog of the editor: filter kExportFilter, default extension txt, asks
    // before an existing file is replaced.
    static std::optional<QString> AskSavePathWithDialog(QWidget* parent);

private:
    CExportDlg(const ExportRequest& request, MessageSink* messages, QWidget* parent);
    void BuildControls();
    // Reads x then y with the framework's prompts; stops at the first failure. A whole number
    // out of range is still taken. True when both are valid.
    bool ReadFields();
    // Generates the form the selector asks for (index 0: C, anything else: BASIC) and shows it,
    // and the screen as that text draws it.
    void Regenerate();
    void OnFormatChanged();
    void OnFieldChanged();
    void OnCopy();
    void OnSave();

    Picture m_pixels;
    int m_x;
    int m_y;
    std::string m_text;
    bool m_saved = false;
    std::unique_ptr<MessageSink> m_ownMessages;  // when the opener gave no sink
    MessageSink* m_messages;
    SavePathAsker m_askSavePath;
    ClipboardWriter m_writeClipboard;

    QPushButton* m_copy = nullptr;
    QLineEdit* m_xField = nullptr;
    QLineEdit* m_yField = nullptr;
    QPushButton* m_exit = nullptr;
    QComboBox* m_format = nullptr;
    QPlainTextEdit* m_output = nullptr;
    QPushButton* m_save = nullptr;
    // Right of the controls above: the screen, and the line under it.
    CScreenPreview* m_screen = nullptr;
    QLabel* m_fit = nullptr;
};

}  // namespace pictoma
