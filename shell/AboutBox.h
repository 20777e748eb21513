#pragma once
// The About box: the application's icon, its name and version, and the copyright line.

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace pictoma {

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    // Builds the box, titled "About Pictoma".
    explicit CAboutBox(QWidget* parent = nullptr);

    QLabel* IconLabel() const { return m_icon; }
    QLabel* VersionLabel() const { return m_version; }
    QLabel* CopyrightLabel() const { return m_copyright; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLabel* m_icon;
    QLabel* m_version;
    QLabel* m_copyright;
    QPushButton* m_ok;
};

}  // namespace pictoma
