#include "ShellIcons.h"

#include <QFile>

namespace pictoma {

namespace {

QString IconPath(const char* name) {
    return QStringLiteral(":/shell/icons/") + QString::fromUtf8(name) + QStringLiteral(".xpm");
}

}  // namespace

QIcon AppIcon() {
    return QIcon(IconPath("pictoma"));
}

QIcon ToolbarIcon(const char* name) {
    const QString path = IconPath(name);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace pictoma
