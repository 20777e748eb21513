#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "ExportDlg.h"
#include "IconSource.h"
#include "IntField.h"

namespace pictoma {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Records every message; answers OK.
struct RecordingSink : MessageSink {
    MsgAnswer Message(std::string_view text, MsgIcon, MsgButtons) override {
        texts.emplace_back(text);
        return MsgAnswer::Ok;
    }
    std::vector<std::string> texts;
};

const std::string kXRange = "“请填入一个在0和127之间的整数。”";
const std::string kYRange = "“请填入一个在0和63之间的整数。”";

// The worked example: 10 x 2, first row only its leftmost pixel black, second row all black.
const Bytes kTenByTwo = {0x80, 0x00, 0xFF, 0xC0};
const std::string kTenByTwoC =
    "char icon[]={\r\n"
    "0x01,0x00, \r\n"
    "0xFF,0x03};\r\n"
    "show_image(59,31,10,2,icon)";
const std::string kTenByTwoBasic =
    "icon_0$=chr$(1)+chr$(0)\r\n"
    "icon_1$=chr$(255)+chr$(3)\r\n"
    "show_image(59,31,10,1,icon_0$)\r\n"
    "show_image(59,32,10,1,icon_1$)\r\n";

// The dialog as the document opens it: centred, shown and active, prompts recorded.
struct Opened {
    explicit Opened(const Bytes& bytes, int width, int height)
        : pixels(bytes),
          dlg(std::make_unique<CExportDlg>(
              ExportRequest{Picture(width, height, pixels), CentredPosition(width, height).x,
                            CentredPosition(width, height).y},
              sink)) {
        dlg->show();
        dlg->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    template <class W>
    W* Child(const char* name) const {
        W* w = dlg->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* X() const { return Child<QLineEdit>("x"); }
    QLineEdit* Y() const { return Child<QLineEdit>("y"); }
    QComboBox* Format() const { return Child<QComboBox>("format"); }
    QPlainTextEdit* Output() const { return Child<QPlainTextEdit>("output"); }
    QPushButton* Button(const char* name) const { return Child<QPushButton>(name); }
    // What the output box shows, with its line breaks written as CR LF again.
    std::string Shown() const {
        return Output()->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n")).toStdString();
    }

    Bytes pixels;
    RecordingSink sink;
    std::unique_ptr<CExportDlg> dlg;
};

std::string C(const Bytes& b, int x, int y) {
    return MakeIconSourceC(Picture(10, 2, b), x, y);
}

TEST(ExportDlg, OpensWithTheCentredCFormAndTheCopyButtonFocused) {
    Opened d(kTenByTwo, 10, 2);
    EXPECT_EQ(d.dlg->windowTitle(), "Export souce code");
    EXPECT_EQ(d.X()->text(), "59");
    EXPECT_EQ(d.Y()->text(), "31");
    EXPECT_EQ(d.Format()->currentIndex(), 0);
    EXPECT_EQ(d.dlg->Text(), kTenByTwoC);
    EXPECT_EQ(d.Shown(), kTenByTwoC);
    // Filling the fields is not an edit: a missing guard would read the half-filled fields.
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_EQ(QApplication::focusWidget(), d.Button("copy"));

    Opened one(Bytes{0x80}, 1, 1);
    EXPECT_EQ(one.dlg->Text(), "char icon[]={\r\n0x01};\r\nshow_image(63,31,1,1,icon)");
    one.Format()->setCurrentIndex(1);
    EXPECT_EQ(one.dlg->Text(), "icon_0$=chr$(1)\r\nshow_image(63,31,1,1,icon_0$)\r\n");
}

TEST(ExportDlg, ControlsListAndTabOrder) {
    Opened d(kTenByTwo, 10, 2);
    ASSERT_EQ(d.Format()->count(), 2);
    EXPECT_EQ(d.Format()->itemText(0), "C Format");
    EXPECT_EQ(d.Format()->itemText(1), "Basic Format");
    EXPECT_TRUE(d.Format()->isEditable());
    EXPECT_TRUE(d.Output()->isReadOnly());
    d.X()->setFocus();  // a focused push button would stand in as the default for a while
    EXPECT_TRUE(d.Button("exit")->isDefault());
    d.Button("copy")->setFocus();
    EXPECT_EQ(d.Button("exit")->text(), "Exit");
    EXPECT_EQ(d.Button("copy")->text(), "Copy");
    EXPECT_EQ(d.Button("save")->text(), "Save");

    const std::vector<QWidget*> order = {d.Button("copy"), d.X(),           d.Y(),
                                         d.Button("exit"), d.Format(),      d.Output(),
                                         d.Button("save"), d.Button("copy")};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // The combo box's own line edit holds the focus for it.
        if (focus && focus->parentWidget() == d.Format()) focus = d.Format();
        EXPECT_EQ(focus, order[i]) << "tab " << i;
    }
    EXPECT_TRUE(d.sink.texts.empty());  // tabbing through the fields is no edit
}

TEST(ExportDlg, SelectionChangeRegenerates) {
    Opened d(kTenByTwo, 10, 2);
    d.Format()->setCurrentIndex(1);
    EXPECT_EQ(d.dlg->Text(), kTenByTwoBasic);
    EXPECT_EQ(d.Shown(), kTenByTwoBasic);
    d.Format()->setCurrentIndex(0);
    EXPECT_EQ(d.dlg->Text(), kTenByTwoC);
    d.Format()->setCurrentIndex(-1);  // nothing selected
    EXPECT_EQ(d.dlg->Text(), kTenByTwoBasic);
    // Typing into the combo box's field and pressing Enter adds no item.
    d.Format()->lineEdit()->setText(QStringLiteral("Pascal"));
    QTest::keyClick(d.Format()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(d.Format()->count(), 2);
    EXPECT_TRUE(d.sink.texts.empty());
}

TEST(ExportDlg, TypingIntoXKeystrokeByKeystroke) {
    Opened d(kTenByTwo, 10, 2);
    d.X()->setFocus();
    d.X()->selectAll();
    QTest::keyClicks(d.X(), "200");
    // "2" and "20" are taken silently; "200" is out of range yet taken all the same.
    EXPECT_EQ(d.sink.texts, std::vector<std::string>{kXRange});
    EXPECT_EQ(d.dlg->X(), 200);
    EXPECT_EQ(d.dlg->Text(),
              "char icon[]={\r\n0x01,0x00, \r\n0xFF,0x03};\r\nshow_image(200,31,10,2,icon)");
    EXPECT_EQ(QApplication::focusWidget(), d.X());
    EXPECT_EQ(d.X()->selectedText(), "200");

    // Clearing the field: the integer prompt, and the text made again with the x before it.
    d.sink.texts.clear();
    QTest::keyClick(d.X(), Qt::Key_Backspace);
    EXPECT_EQ(d.X()->text(), "");
    EXPECT_EQ(d.sink.texts, std::vector<std::string>{kPromptInteger});
    EXPECT_EQ(d.dlg->X(), 200);
    EXPECT_EQ(d.dlg->Text(), C(kTenByTwo, 200, 31));
    EXPECT_EQ(QApplication::focusWidget(), d.X());
}

TEST(ExportDlg, EachEditReadsBothFields) {
    struct Case {
        const char* field;  // "x" or "y"
        const char* text;   // the field's whole new text, as one edit (a paste)
        std::vector<std::string> prompts;
        int x, y;
    } cases[] = {
        {"x", "0", {}, 0, 31},
        {"x", "127", {}, 127, 31},
        {"x", " 12 ", {}, 12, 31},
        {"x", "\t7\t", {}, 7, 31},
        {"x", "+5", {}, 5, 31},
        {"x", "007", {}, 7, 31},
        {"x", "128", {kXRange}, 128, 31},
        {"x", "-1", {kXRange}, -1, 31},
        {"x", "99999999999", {kXRange}, 59, 31},  // no int at all: x keeps its value
        {"x", "", {kPromptInteger}, 59, 31},
        {"x", "1 2", {kPromptInteger}, 59, 31},
        {"x", "abc", {kPromptInteger}, 59, 31},
        {"x", "- 5", {kPromptInteger}, 59, 31},
        {"y", "63", {}, 59, 63},
        {"y", "64", {kYRange}, 59, 64},
        {"y", "", {kPromptInteger}, 59, 31},
    };
    for (const Case& c : cases) {
        Opened d(kTenByTwo, 10, 2);
        QLineEdit* field = d.Child<QLineEdit>(c.field);
        field->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(d.sink.texts, c.prompts) << c.field << " '" << c.text << "'";
        EXPECT_EQ(d.dlg->X(), c.x) << c.text;
        EXPECT_EQ(d.dlg->Y(), c.y) << c.text;
        EXPECT_EQ(d.dlg->Text(), C(kTenByTwo, c.x, c.y)) << c.text;
        EXPECT_EQ(field->text(), QString::fromUtf8(c.text));  // never corrected behind the user
        if (!c.prompts.empty()) {
            EXPECT_EQ(QApplication::focusWidget(), field) << c.text;
            EXPECT_EQ(field->selectedText(), field->text()) << c.text;
        }
    }
}

TEST(ExportDlg, SignedZeroIsNotAnInteger) {
    for (const char* text : {"-0", "+0", " -00 "}) {
        Opened d(kTenByTwo, 10, 2);
        d.X()->setText(QString::fromLatin1(text));
        EXPECT_EQ(d.sink.texts, std::vector<std::string>{kPromptInteger}) << text;
        EXPECT_EQ(d.dlg->X(), 59) << text;
    }
}

TEST(ExportDlg, AFailingXStopsTheReadingBeforeY) {
    Opened d(kTenByTwo, 10, 2);
    d.X()->setText(QStringLiteral("abc"));
    d.sink.texts.clear();
    d.Y()->setText(QStringLiteral("5"));
    // x is read first and fails again: y is not read, and x gets the focus back.
    EXPECT_EQ(d.sink.texts, std::vector<std::string>{kPromptInteger});
    EXPECT_EQ(d.dlg->Y(), 31);
    EXPECT_EQ(d.dlg->Text(), C(kTenByTwo, 59, 31));
    EXPECT_EQ(QApplication::focusWidget(), d.X());

    d.sink.texts.clear();
    d.X()->setText(QStringLiteral("3"));
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_EQ(d.dlg->Text(), C(kTenByTwo, 3, 5));

    // The form follows the selector when a field changes, too.
    d.Format()->setCurrentIndex(1);
    d.Y()->setText(QStringLiteral("6"));
    EXPECT_EQ(d.dlg->Text(), MakeIconSourceBasic(Picture(10, 2, kTenByTwo), 3, 6));
}

TEST(ExportDlg, CopyPutsTheShownTextOnTheClipboard) {
    Opened d(kTenByTwo, 10, 2);
    d.Format()->setCurrentIndex(1);
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(d.Button("copy"), Qt::LeftButton);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasText());
    EXPECT_EQ(data->text().toStdString(), kTenByTwoBasic);  // CR LF kept
    EXPECT_TRUE(d.dlg->isVisible());
    EXPECT_FALSE(d.Output()->textCursor().hasSelection());

    QString copied;
    d.dlg->SetClipboardWriter([&copied](const QString& text) { copied = text; });
    d.Format()->setCurrentIndex(0);
    QTest::mouseClick(d.Button("copy"), Qt::LeftButton);
    EXPECT_EQ(copied.toStdString(), kTenByTwoC);
}

TEST(ExportDlg, SaveWritesTheShownBytesOverAnExistingFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("icon.txt"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'z'));
    }
    Opened d(kTenByTwo, 10, 2);
    int asked = 0;
    d.dlg->SetSavePathAsker([&](QWidget* parent) -> std::optional<QString> {
        ++asked;
        EXPECT_EQ(parent, d.dlg.get());
        return path;
    });
    d.Format()->setCurrentIndex(1);
    QTest::mouseClick(d.Button("save"), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), kTenByTwoBasic);  // whole file: no BOM, no NUL
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_TRUE(d.dlg->isVisible());
}

TEST(ExportDlg, SaveFailureNamesTheFileAndCancelWritesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder that does not exist cannot be written to, whoever runs the test.
    const QString path = dir.filePath(QStringLiteral("missing/icon.txt"));
    Opened d(kTenByTwo, 10, 2);
    d.dlg->SetSavePathAsker([&](QWidget*) -> std::optional<QString> { return path; });
    QTest::mouseClick(d.Button("save"), Qt::LeftButton);
    ASSERT_EQ(d.sink.texts.size(), 1u);
    EXPECT_NE(d.sink.texts[0].find(path.toStdString()), std::string::npos) << d.sink.texts[0];
    EXPECT_TRUE(d.dlg->isVisible());
    EXPECT_EQ(d.dlg->Text(), kTenByTwoC);

    d.sink.texts.clear();
    d.dlg->SetSavePathAsker([](QWidget*) -> std::optional<QString> { return std::nullopt; });
    QTest::mouseClick(d.Button("save"), Qt::LeftButton);
    EXPECT_TRUE(d.sink.texts.empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(ExportDlg, SaveDialogOffersTextFilesAndAddsTheExtension) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList filters;
    QString suffix;
    bool confirms = false;
    // Fill in the dialog the way a user would, as soon as it is up.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!fd) return;
        poll.stop();
        filters = fd->nameFilters();
        suffix = fd->defaultSuffix();
        confirms = !fd->testOption(QFileDialog::DontConfirmOverwrite);
        fd->setDirectory(dir.path());
        fd->selectFile(QStringLiteral("picture"));
        static_cast<QDialog*>(fd)->accept();  // as the Save button does
    });
    poll.start();
    const std::optional<QString> path = CExportDlg::AskSavePathWithDialog(nullptr);
    EXPECT_EQ(filters, QStringList{QStringLiteral("文本文件(*.txt)")});
    EXPECT_EQ(suffix, "txt");
    EXPECT_TRUE(confirms);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, QDir(dir.path()).filePath(QStringLiteral("picture.txt")));
}

TEST(ExportDlg, ExitReadsTheFieldsEscapeDoesNot) {
    {
        Opened d(kTenByTwo, 10, 2);
        d.Y()->setText(QStringLiteral("70"));
        d.sink.texts.clear();
        QTest::mouseClick(d.Button("exit"), Qt::LeftButton);
        EXPECT_EQ(d.sink.texts, std::vector<std::string>{kYRange});
        EXPECT_TRUE(d.dlg->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), d.Y());

        d.Y()->setText(QStringLiteral("7"));
        d.sink.texts.clear();
        QTest::keyClick(d.Y(), Qt::Key_Return);  // Exit is the default button
        EXPECT_TRUE(d.sink.texts.empty());
        EXPECT_FALSE(d.dlg->isVisible());
        EXPECT_EQ(d.dlg->result(), QDialog::Accepted);
    }
    {
        Opened d(kTenByTwo, 10, 2);
        d.X()->setText(QStringLiteral("abc"));
        d.sink.texts.clear();
        QTest::keyClick(d.X(), Qt::Key_Escape);
        EXPECT_TRUE(d.sink.texts.empty());
        EXPECT_FALSE(d.dlg->isVisible());
        EXPECT_EQ(d.dlg->result(), QDialog::Rejected);
    }
}

}  // namespace
}  // namespace pictoma
