#include <gtest/gtest.h>

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "MessageBoxQt.h"

namespace pictoma {
namespace {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Arranges for the next modal box to be inspected and closed by `close`.
void OnNextBox(SeenBox& seen, std::function<void(QMessageBox&)> close) {
    QTimer::singleShot(0, [&seen, close] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        close(*box);
    });
}

TEST(QtMessageSink, TitledWithTheApplicationAndShowsIconAndButtons) {
    QtMessageSink sink;
    SeenBox seen;
    OnNextBox(seen, [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(sink.Message("File too large", MsgIcon::Stop, MsgButtons::Ok), MsgAnswer::Ok);
    EXPECT_EQ(seen.title, "Pictoma");
    EXPECT_EQ(seen.text, "File too large");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(QtMessageSink, YesNoAnswers) {
    QtMessageSink sink(nullptr, QStringLiteral("Other"));
    const QString text = QString::fromUtf8("请键入一个整数。\n    line");
    SeenBox seen;
    OnNextBox(seen, [](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(sink.Message(text.toStdString(), MsgIcon::Question, MsgButtons::YesNo),
              MsgAnswer::Yes);
    EXPECT_EQ(seen.title, "Other");
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    OnNextBox(seen, [](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    EXPECT_EQ(sink.Message("q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    OnNextBox(seen, [](QMessageBox& box) { box.reject(); });  // Escape or the close box
    EXPECT_EQ(sink.Message("q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
}

}  // namespace
}  // namespace pictoma
