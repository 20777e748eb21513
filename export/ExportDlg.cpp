#include "ExportDlg.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>

#include "AtomicFile.h"
#include "DialogUnits.h"
#include "IconSource.h"
#include "IntFieldQt.h"
#include "MessageBoxQt.h"
#include "SaveFileDialogQt.h"
#include "ScreenPreview.h"

namespace pictoma {

namespace {

QString Latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

void PutOnSystemClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

}  // namespace

CExportDlg::CExportDlg(const ExportRequest& request, QWidget* parent)
    : CExportDlg(request, nullptr, parent) {}

CExportDlg::CExportDlg(const ExportRequest& request, MessageSink& messages, QWidget* parent)
    : CExportDlg(request, &messages, parent) {}

CExportDlg::CExportDlg(const ExportRequest& request, MessageSink* messages, QWidget* parent)
    : QDialog(parent),
      m_pixels(request.picture),
      m_x(request.x),
      m_y(request.y),
      m_messages(messages),
      m_askSavePath(&CExportDlg::AskSavePathWithDialog),
      m_writeClipboard(&PutOnSystemClipboard) {
    if (!m_messages) {
        m_ownMessages = std::make_unique<QtMessageSink>(this);
        m_messages = m_ownMessages.get();
    }
    BuildControls();

    // Filling the fields and choosing the first form are the dialog's own doing, not the user's
    // edits: no validation and no extra generation come of them.
    {
        const QSignalBlocker blockX(m_xField);
        const QSignalBlocker blockY(m_yField);
        const QSignalBlocker blockFormat(m_format);
        WriteIntField(*m_xField, m_x);
        WriteIntField(*m_yField, m_y);
        m_format->setCurrentIndex(0);
        m_format->lineEdit()->setCursorPosition(0);
    }
    Regenerate();
    m_copy->setFocus(Qt::OtherFocusReason);
}

void CExportDlg::BuildControls() {
    setWindowTitle(QStringLiteral("Export souce code"));
    const QFont& f = font();

    // Created in tab order; the labels take no focus.
    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    m_copy->setGeometry(DialogRect(f, 154, 92, 26, 14));

    m_xField = new QLineEdit(this);
    m_xField->setObjectName(QStringLiteral("x"));
    m_xField->setGeometry(DialogRect(f, 152, 40, 28, 10));

    m_yField = new QLineEdit(this);
    m_yField->setObjectName(QStringLiteral("y"));
    m_yField->setGeometry(DialogRect(f, 153, 55, 27, 9));

    m_exit = new QPushButton(QStringLiteral("Exit"), this);
    m_exit->setObjectName(QStringLiteral("exit"));
    m_exit->setGeometry(DialogRect(f, 154, 118, 26, 14));
    m_exit->setDefault(true);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    m_format->setEditable(true);
    // Typing into the combo box's field must never add list items.
    m_format->setInsertPolicy(QComboBox::NoInsert);
    m_format->addItem(QStringLiteral("C Format"));
    m_format->addItem(QStringLiteral("Basic Format"));
    // The arrow button takes more room than the text needs to lose, so the box starts three
    // units further left (still clear of the output box) and the open list is as wide as its
    // longest item; the field shows its text from the start.
    const QRect formatRect = DialogRect(f, 134, 7, 46, 60);
    m_format->setGeometry(formatRect.x(), formatRect.y(), formatRect.width(),
                          m_format->sizeHint().height());
    m_format->view()->setMinimumWidth(m_format->view()->sizeHintForColumn(0) +
                                      2 * m_format->view()->frameWidth());

    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("output"));
    m_output->setGeometry(DialogRect(f, 7, 7, 125, 125));
    m_output->setReadOnly(true);
    m_output->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* xLabel = new QLabel(QStringLiteral("x"), this);
    xLabel->setGeometry(DialogRect(f, 139, 41, 8, 8));
    auto* yLabel = new QLabel(QStringLiteral("y"), this);
    yLabel->setGeometry(DialogRect(f, 139, 54, 8, 8));

    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setObjectName(QStringLiteral("save"));
    m_save->setGeometry(DialogRect(f, 154, 72, 26, 14));

    QWidget::setTabOrder(m_copy, m_xField);
    QWidget::setTabOrder(m_xField, m_yField);
    QWidget::setTabOrder(m_yField, m_exit);
    QWidget::setTabOrder(m_exit, m_format);
    QWidget::setTabOrder(m_format, m_output);
    QWidget::setTabOrder(m_output, m_save);

    // The screen preview goes right of the controls, which keep their places: the dialog grows
    // to the right by the preview and a margin as wide as the one the controls leave. Neither
    // takes the focus, so the tab order stays as above.
    const QSize controls = DialogSize(f, 187, 139);
    const int margin = DialogSize(f, 7, 7).width();
    m_screen = new CScreenPreview(this);
    m_screen->setObjectName(QStringLiteral("screen"));
    m_screen->move(controls.width(), DialogRect(f, 0, 7, 0, 0).y());
    m_fit = new QLabel(this);
    m_fit->setObjectName(QStringLiteral("fit"));
    m_fit->setWordWrap(true);
    m_fit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_fit->setGeometry(m_screen->x(), m_screen->geometry().bottom() + 1 + margin / 2,
                       m_screen->width(), 2 * m_fit->fontMetrics().height());

    setFixedSize(m_screen->geometry().right() + 1 + margin,
                 std::max(controls.height(), m_fit->geometry().bottom() + 1 + margin / 2));

    connect(m_format, &QComboBox::currentIndexChanged, this, &CExportDlg::OnFormatChanged);
    connect(m_xField, &QLineEdit::textChanged, this, &CExportDlg::OnFieldChanged);
    connect(m_yField, &QLineEdit::textChanged, this, &CExportDlg::OnFieldChanged);
    connect(m_copy, &QPushButton::clicked, this, &CExportDlg::OnCopy);
    connect(m_save, &QPushButton::clicked, this, &CExportDlg::OnSave);
    connect(m_exit, &QPushButton::clicked, this, &CExportDlg::accept);
}

bool CExportDlg::ReadFields() {
    struct Field {
        QLineEdit* edit;
        int* value;
        int max;
    };
    for (const Field& field :
         {Field{m_xField, &m_x, kExportMaxX}, Field{m_yField, &m_y, kExportMaxY}}) {
        // An out-of-range number is taken all the same, so the generated text shows what was
        // typed (x = 200 gives show_image(200,...)); only the prompt tells of the range.
        if (!ExchangeIntField(*field.edit, *field.value, 0, field.max, *m_messages)) return false;
    }
    return true;
}

void CExportDlg::Regenerate() {
    m_text = m_format->currentIndex() == 0 ? MakeIconSourceC(m_pixels, m_x, m_y)
                                           : MakeIconSourceBasic(m_pixels, m_x, m_y);
    m_output->setPlainText(Latin1(m_text));
    // The screen shows what the text says, read back, so a fault in the text shows there too.
    m_screen->ShowText(m_text);
    const ScreenResult& shown = m_screen->Layout();
    const QString line = !shown                  ? QString::fromStdString(shown.message())
                         : shown.layout().Fits() ? QString()
                                                 : QString::fromLatin1(kDoesNotFit);
    m_fit->setText(line);
    m_fit->setVisible(!line.isEmpty());
}

void CExportDlg::OnFormatChanged() {
    m_format->lineEdit()->setCursorPosition(0);
    Regenerate();
}

void CExportDlg::OnFieldChanged() {
    ReadFields();
    Regenerate();
}

void CExportDlg::OnCopy() {
    m_output->selectAll();
    m_output->ensureCursorVisible();
    m_writeClipboard(Latin1(m_text));
    QTextCursor cursor = m_output->textCursor();
    cursor.clearSelection();
    m_output->setTextCursor(cursor);
    m_output->ensureCursorVisible();
}

void CExportDlg::OnSave() {
    const std::optional<QString> path = m_askSavePath(this);
    if (!path || path->isEmpty()) return;
    const std::string error = WriteFileAtomically(QFile::encodeName(*path).toStdString(), m_text);
    if (!error.empty())
        m_messages->Message(error, MsgIcon::Warning, MsgButtons::Ok);
    else
        m_saved = true;
}

void CExportDlg::accept() {
    if (ReadFields()) QDialog::accept();
}

std::optional<QString> CExportDlg::AskSavePathWithDialog(QWidget* parent) {
    SaveDialogSettings settings;
    settings.defaultExtension = kExportDefaultSuffix;
    settings.confirmOverwrite = true;
    settings.filters = {{kExportFilter, "*.txt"}};
    const std::optional<SaveChoice> choice = RunSaveFileDialog(parent, settings);
    if (!choice) return std::nullopt;
    return QString::fromStdString(choice->path);
}

}  // namespace pictoma
