#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "IntFieldQt.h"
#include "ScriptedSink.h"

namespace pictoma {
namespace {

struct FieldDialog {
    QDialog dialog;
    QLineEdit* first = new QLineEdit(&dialog);
    QLineEdit* field = new QLineEdit(&dialog);
    FieldDialog() {
        first->move(0, 0);
        field->move(0, 40);
        dialog.show();
        first->setFocus();
    }
};

TEST(IntFieldQt, ValidValueIsReturnedWithoutAMessage) {
    FieldDialog d;
    test::ScriptedSink sink;
    WriteIntField(*d.field, 150);
    EXPECT_EQ(d.field->text(), "150");
    EXPECT_EQ(ReadIntField(*d.field, 100, 180, sink), 150);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(d.dialog.focusWidget(), d.first);
}

TEST(IntFieldQt, BadValuePromptsThenFocusesAndSelectsTheField) {
    struct Case {
        const char* text;
        std::string prompt;
    } cases[] = {
        {"abc", kPromptInteger},
        {"", kPromptInteger},
        {"99", "“请填入一个在100和180之间的整数。”"},
        {"181", "“请填入一个在100和180之间的整数。”"},
    };
    for (const Case& c : cases) {
        FieldDialog d;
        test::ScriptedSink sink;
        d.field->setText(QString::fromUtf8(c.text));
        d.field->setCursorPosition(0);
        EXPECT_EQ(ReadIntField(*d.field, 100, 180, sink), std::nullopt) << c.text;
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, c.prompt);
        EXPECT_EQ(sink.shown[0].icon, MsgIcon::Warning);
        EXPECT_EQ(sink.shown[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(d.dialog.focusWidget(), d.field) << c.text;
        EXPECT_EQ(d.field->selectedText(), d.field->text()) << c.text;
        EXPECT_EQ(d.field->text(), QString::fromUtf8(c.text));  // never corrected behind the user
    }
}

// The storing exchange: a number out of range is kept, a text that is no integer (or a number
// beyond the int range) leaves the old value; both prompt and put the focus back.
TEST(IntFieldQt, ExchangeStoresBeforeItChecksTheRange) {
    const std::string range = "“请填入一个在0和127之间的整数。”";
    struct Case {
        const char* text;
        bool ok;
        int value;
        std::string prompt;
    } cases[] = {
        {" 12 ", true, 12, ""},           {"200", false, 200, range},
        {"-1", false, -1, range},         {"", false, 7, kPromptInteger},
        {"-0", false, 7, kPromptInteger}, {"99999999999", false, 7, range},
    };
    for (const Case& c : cases) {
        FieldDialog d;
        test::ScriptedSink sink;
        d.field->setText(QString::fromUtf8(c.text));
        int value = 7;
        EXPECT_EQ(ExchangeIntField(*d.field, value, 0, 127, sink), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(sink.Texts(), c.prompt.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{c.prompt})
            << c.text;
        if (!c.ok) {
            EXPECT_EQ(d.dialog.focusWidget(), d.field) << c.text;
        }
    }
}

}  // namespace
}  // namespace pictoma
