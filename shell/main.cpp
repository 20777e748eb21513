// The Pictoma bitmap editor.
#include <cstdio>

#include <QApplication>

#include "PictomaApp.h"
#include "ShellIcons.h"
#include "ShellResources.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(pictoma::shell::kAppTitle));
    QApplication::setOrganizationName(QString::fromUtf8(pictoma::shell::kSettingsOrganization));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(pictoma::AppIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("pictoma"));

    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::printf(
            "Usage: pictoma [FILE.bmp]\n"
            "Opens FILE.bmp (or a blank picture) in the Pictoma bitmap editor.\n"
            "Help > Topics in the editor shows readme.txt.\n");
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        std::printf("%s\n", pictoma::shell::kAboutVersion);
        return 0;
    }

    pictoma::CPictomaApp theApp;
    if (!theApp.InitInstance(arguments)) return 1;
    return app.exec();
}
