#pragma once
// Helpers for the dialog tests: typing into a box, and the prompts the dialogs show.

#include <QLineEdit>
#include <QTest>

#include "IntField.h"

namespace pictoma::test {

// Replaces the text of `edit` as a user would: select all, type.
inline void TypeInto(QLineEdit* edit, const char* text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromUtf8(text));
}

}  // namespace pictoma::test
