// The program's own texts include Chinese framework texts: a machine set up by the setup script
// must have a font that draws every one of their characters, or they show as boxes.

#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

#include "Document.h"
#include "ExportDlg.h"
#include "IntField.h"
#include "PictomaDoc.h"
#include "ShellResources.h"

namespace pictoma {
namespace {

TEST(FontCoverage, EveryCharacterOfTheFrameworkTextsHasAGlyph) {
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    ASSERT_FALSE(families.isEmpty()) << "no font for Simplified Chinese is installed";

    QString all;
    for (const char* text : {kUntitledTitle, shell::kOpenFilterAll, kSaveFilterC, kSaveFilterBasic,
                             kExportFilter, kPromptInteger, kPromptRange})
        all += QString::fromUtf8(text);
    // Some installed family must draw every character: that is the one Qt falls back on.
    QString missingEverywhere;
    for (const QString& family : families) {
        const QFontMetrics metrics{QFont(family)};
        QString missing;
        for (char32_t c : all.toUcs4()) {
            if (c > 0x7F && !metrics.inFontUcs4(c)) missing += QString::fromUcs4(&c, 1);
        }
        if (missing.isEmpty()) return;
        missingEverywhere = missing;
    }
    FAIL() << "no font draws all of: " << missingEverywhere.toStdString();
}

}  // namespace
}  // namespace pictoma
