#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "ImportDlg.h"
#include "ImportSession.h"

namespace pictoma {
namespace {

// A horizontal grey ramp with a transparent left quarter.
std::shared_ptr<RasterSource> Ramp(int w, int h) {
    RgbaImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = img.Row(y) + 4 * x;
            p[0] = p[1] = p[2] = std::uint8_t(x * 255 / std::max(1, w - 1));
            p[3] = x < w / 4 ? 0 : 255;
        }
    return std::make_shared<RasterSource>(std::move(img));
}

class ImportDlgTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QSettings m_settings{m_dir.filePath("settings.ini"), QSettings::IniFormat};

    template <class W>
    static W* Find(const CImportDlg& dlg, const char* name) {
        W* w = dlg.findChild<W*>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    static QString Text(const CImportDlg& dlg, const char* label) {
        return Find<QLabel>(dlg, label)->text();
    }
};

TEST_F(ImportDlgTest, DefaultsFollowThePictureSize) {
    CImportDlg large(Ramp(400, 300), m_settings);
    EXPECT_EQ(large.Options(), (ImportOptions{SizeMode::Fit}));
    EXPECT_EQ(Text(large, "originalSize"), QStringLiteral("400 \u00D7 300"));
    EXPECT_EQ(Text(large, "resultSize"), QStringLiteral("85 \u00D7 64"));
    EXPECT_EQ(Text(large, "thresholdValue"), QStringLiteral("125"));
    EXPECT_FALSE(Find<QSpinBox>(large, "customWidth")->isEnabled());

    CImportDlg small(Ramp(100, 64), m_settings);
    EXPECT_EQ(small.Options().size, SizeMode::Original);
    EXPECT_EQ(Text(small, "resultSize"), QStringLiteral("100 \u00D7 64"));
}

TEST_F(ImportDlgTest, PreviewFollowsEveryControl) {
    auto source = Ramp(400, 300);
    CImportDlg dlg(source, m_settings);
    auto check = [&](const char* what) {
        const ImportOptions o = dlg.Options();
        ImportSession session(source);
        EXPECT_EQ(dlg.PreviewPicture(), session.Preview(o)) << what;
        EXPECT_EQ(Text(dlg, "resultSize"), QStringLiteral("%1 \u00D7 %2")
                                               .arg(session.ResultSize(o).width)
                                               .arg(session.ResultSize(o).height))
            << what;
    };
    check("start");
    const Picture before = dlg.PreviewPicture();
    Find<QSlider>(dlg, "threshold")->setValue(200);
    EXPECT_EQ(dlg.Options().threshold, 200);
    EXPECT_EQ(Text(dlg, "thresholdValue"), QStringLiteral("200"));
    EXPECT_NE(dlg.PreviewPicture(), before);
    check("threshold");
    Find<QComboBox>(dlg, "dither")->setCurrentIndex(1);
    check("dither");
    Find<QCheckBox>(dlg, "invert")->setChecked(true);
    check("invert");
    Find<QComboBox>(dlg, "background")->setCurrentIndex(1);
    check("background");
    auto* mode = Find<QComboBox>(dlg, "sizeMode");
    mode->setCurrentIndex(mode->findData(int(SizeMode::Custom)));
    EXPECT_TRUE(Find<QSpinBox>(dlg, "customWidth")->isEnabled());
    Find<QSpinBox>(dlg, "customWidth")->setValue(40);
    Find<QSpinBox>(dlg, "customHeight")->setValue(30);
    EXPECT_EQ(Text(dlg, "resultSize"), QStringLiteral("40 \u00D7 30"));
    check("custom size");
    mode->setCurrentIndex(mode->findData(int(SizeMode::Original)));
    EXPECT_EQ(dlg.PreviewPicture().width, SCREEN_WIDTH);  // the screen's part of 400 x 300
    check("original size");
}

TEST_F(ImportDlgTest, OkReturnsOptionsAndPictureAndRemembersThem) {
    auto source = Ramp(400, 300);
    ImportOptions chosen;
    {
        CImportDlg dlg(source, m_settings);
        Find<QSlider>(dlg, "threshold")->setValue(90);
        Find<QComboBox>(dlg, "dither")->setCurrentIndex(3);
        Find<QCheckBox>(dlg, "invert")->setChecked(true);
        chosen = dlg.Options();
        QTimer::singleShot(0, &dlg, &CImportDlg::accept);
        ASSERT_EQ(dlg.exec(), QDialog::Accepted);
        ASSERT_TRUE(dlg.Result());
        EXPECT_EQ(dlg.Result()->options, chosen);
        EXPECT_EQ(dlg.Result()->picture, ImportPicture(*source, chosen));
        EXPECT_EQ(dlg.Result()->picture.width, 85);
    }
    // The next dialog starts from them, its size mode by its own picture's size.
    EXPECT_EQ(CImportDlg(Ramp(400, 300), m_settings).Options(), chosen);
    ImportOptions small = chosen;
    small.size = SizeMode::Original;
    EXPECT_EQ(CImportDlg(Ramp(50, 20), m_settings).Options(), small);
}

TEST_F(ImportDlgTest, StretchAndCustomAreRemembered) {
    CImportDlg::Remember(m_settings, {SizeMode::Custom, {40, 30}, 125});
    EXPECT_EQ(CImportDlg::Remembered(m_settings, {10, 10}).size, SizeMode::Custom);
    EXPECT_EQ(CImportDlg::Remembered(m_settings, {10, 10}).custom, (Size{40, 30}));
    CImportDlg::Remember(m_settings, {SizeMode::Original});
    EXPECT_EQ(CImportDlg::Remembered(m_settings, {1000, 10}).size, SizeMode::Fit);
    // Values from a damaged store are brought back into range.
    m_settings.setValue("Import/threshold", 999);
    m_settings.setValue("Import/dither", "sideways");
    EXPECT_EQ(CImportDlg::Remembered(m_settings, {1, 1}).threshold, 255);
    EXPECT_EQ(CImportDlg::Remembered(m_settings, {1, 1}).dither, Dither::None);
}

TEST_F(ImportDlgTest, CancelReturnsNothingAndForgetsTheChanges) {
    {
        CImportDlg dlg(Ramp(400, 300), m_settings);
        Find<QSlider>(dlg, "threshold")->setValue(10);
        QTimer::singleShot(0, &dlg, &CImportDlg::reject);
        EXPECT_EQ(dlg.exec(), QDialog::Rejected);
        EXPECT_FALSE(dlg.Result());
    }
    EXPECT_EQ(CImportDlg(Ramp(400, 300), m_settings).Options().threshold, DEFAULT_THRESHOLD);
    EXPECT_TRUE(m_settings.allKeys().isEmpty());
}

TEST_F(ImportDlgTest, StartsFromTheCallersOptions) {
    const ImportOptions current{SizeMode::Stretch, {1, 1}, 140,
                                Dither::Atkinson,  true,   Background::Black};
    CImportDlg dlg(Ramp(400, 300), m_settings, current);
    EXPECT_EQ(dlg.Options(), current);
    EXPECT_EQ(Text(dlg, "resultSize"), QStringLiteral("128 \u00D7 64"));
}

}  // namespace
}  // namespace pictoma
