#include "AboutBox.h"

#include <QGridLayout>

#include "ShellIcons.h"
#include "ShellResources.h"

namespace pictoma {

CAboutBox::CAboutBox(QWidget* parent)
    : QDialog(parent),
      m_icon(new QLabel(this)),
      m_version(new QLabel(QString::fromUtf8(shell::kAboutVersion), this)),
      m_copyright(new QLabel(QString::fromUtf8(shell::kAboutCopyright), this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QString::fromUtf8(shell::kAboutCaption));
    m_icon->setPixmap(AppIcon().pixmap(32, 32));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_version, 0, 1);
    grid->addWidget(m_copyright, 1, 1);
    grid->addWidget(m_ok, 0, 2, Qt::AlignTop);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace pictoma
