#pragma once
// The Import dialog: the options of the import pipeline with a live preview of the result on the
// terminal's screen. It only collects options; every picture is made by the core (ImportSession).

#include <QDialog>
#include <QImage>
#include <QSettings>
#include <QWidget>
#include <memory>
#include <optional>

#include "ImportSession.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace pictoma {

// The result on a 128 x 64 screen frame, once at real size and once magnified; what lies beyond
// the screen is not shown.
class CImportPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kZoom = 3;
    static constexpr int kMargin = 6;

    explicit CImportPreview(QWidget* parent = nullptr);
    void SetPicture(Picture picture);
    const Picture& Shown() const { return m_picture; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_picture;
    QImage m_image;  // m_picture as a one-bit image, index 1 black
};

// What OK returns: the options chosen and the picture they make.
struct ImportResult {
    ImportOptions options;
    Picture picture;
};

class CImportDlg : public QDialog {
    Q_OBJECT
public:
    // `source` must not be null. The options start as `initial` when given (the document's
    // current ones), else as last accepted (`settings`), with the size mode by the picture:
    // Fit the screen when it is larger than the screen, Original size otherwise; a Stretch or
    // Custom choice is remembered.
    CImportDlg(std::shared_ptr<const PictureSource> source, QSettings& settings,
               std::optional<ImportOptions> initial = std::nullopt, QWidget* parent = nullptr);
    ~CImportDlg() override;

    // Shows the dialog; the options and picture on OK, nullopt on Cancel.
    static std::optional<ImportResult> Run(std::shared_ptr<const PictureSource> source,
                                           QSettings& settings,
                                           std::optional<ImportOptions> initial = std::nullopt,
                                           QWidget* parent = nullptr);

    // The options the controls show now.
    ImportOptions Options() const;
    // What the preview shows now: the top-left 128 x 64 of the result.
    const Picture& PreviewPicture() const;
    // After OK: the options and their picture; nullopt before, or after Cancel.
    const std::optional<ImportResult>& Result() const { return m_result; }

    // The options a dialog for a picture of `original` size starts with, from `settings`.
    static ImportOptions Remembered(QSettings& settings, Size original);
    static void Remember(QSettings& settings, const ImportOptions& options);

    void accept() override;

private:
    void Show(const ImportOptions& options);
    void Refresh();

    ImportSession m_session;
    QSettings& m_settings;
    std::optional<ImportResult> m_result;
    bool m_showing = false;  // controls being set: no refresh per control

    CImportPreview* m_preview;
    QLabel* m_originalSize;
    QLabel* m_resultSize;
    QComboBox* m_sizeMode;
    QSpinBox* m_customWidth;
    QSpinBox* m_customHeight;
    QSlider* m_threshold;
    QLabel* m_thresholdValue;
    QComboBox* m_dither;
    QCheckBox* m_invert;
    QComboBox* m_background;
};

}  // namespace pictoma
