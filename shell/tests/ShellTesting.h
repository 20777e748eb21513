#pragma once
// Helpers for the shell's tests: a settings store and a folder of bitmaps of the test's own, and
// answering (or catching) the modal dialogs a command opens.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include "BmpBuilder.h"
#include "ShellResources.h"

// Lets the test framework print a QString as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace pictoma::test {

// Runs `act` on the next modal dialog of type T as soon as it shows.
template <class T>
void OnNextModal(std::function<void(T&)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dlg);
        }
    });
    poll->start();
}

// While it lives, closes every modal dialog that shows and notes its class.
class ModalCatcher {
public:
    ModalCatcher() : m_poll(new QTimer(qApp)) {
        m_poll->setInterval(5);
        QObject::connect(m_poll, &QTimer::timeout, m_poll, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_caught << QString::fromUtf8(modal->metaObject()->className());
                modal->close();
            }
        });
        m_poll->start();
    }
    ~ModalCatcher() { delete m_poll; }
    ModalCatcher(const ModalCatcher&) = delete;
    ModalCatcher& operator=(const ModalCatcher&) = delete;

    const QStringList& Caught() const { return m_caught; }

private:
    QTimer* m_poll;
    QStringList m_caught;
};

class ShellTest : public ::testing::Test {
protected:
    // The settings store goes to a folder of the test's own, so that the user's recent files are
    // neither read nor changed.
    void SetUp() override {
        ASSERT_TRUE(m_settingsDir.isValid());
        ASSERT_TRUE(m_filesDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        m_oldCurrent = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(m_oldCurrent); }

    // The settings store as the program files it.
    static QSettings Profile() {
        return QSettings(QString::fromUtf8(shell::kSettingsOrganization),
                         QString::fromUtf8(shell::kSettingsApplication));
    }

    // Writes a 24-bit bitmap of width x height, black where `black(x, y)`, into the test's
    // folder; returns its full path.
    QString WriteBmp(
        const QString& name, int width, int height,
        std::function<bool(int, int)> black = [](int, int) { return false; }) {
        Bmp bmp(width, height, 24);
        bmp.pixel = [black](int x, int y) { return black(x, y) ? 0u : 0xFFFFFFu; };
        const std::vector<std::uint8_t> bytes = bmp.Bytes();
        const QString path = m_filesDir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path;
    }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_filesDir;
    QString m_oldCurrent;
};

}  // namespace pictoma::test
