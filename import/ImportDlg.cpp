#include "ImportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

#include "MonoRows.h"

namespace pictoma {

namespace {

const QString kGroup = QStringLiteral("Import/");

QString SizeText(Size s) {
    return QStringLiteral("%1 \u00D7 %2").arg(s.width).arg(s.height);
}

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

std::string_view SizeModeName(SizeMode mode) {
    switch (mode) {
        case SizeMode::Fit:
            return "fit";
        case SizeMode::Stretch:
            return "stretch";
        case SizeMode::Custom:
            return "custom";
        case SizeMode::Original:
            break;
    }
    return "original";
}

// Sets a combo box to the entry whose data is `value`.
void Select(QComboBox* box, int value) {
    box->setCurrentIndex(std::max(0, box->findData(value)));
}

}  // namespace

CImportPreview::CImportPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("preview"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CImportPreview::SetPicture(Picture picture) {
    m_picture = std::move(picture);
    m_image = QImage();
    if (m_picture.Consistent()) {
        m_image = QImage(m_picture.width, m_picture.height, QImage::Format_Mono);
        m_image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        for (int y = 0; y < m_picture.height; ++y)
            std::memcpy(m_image.scanLine(y), monorows::RowOf(m_picture, y),
                        std::size_t(m_picture.BytesPerRow()));
    }
    update();
}

QSize CImportPreview::sizeHint() const {
    return {SCREEN_WIDTH * kZoom + 2 * kMargin, SCREEN_HEIGHT * (kZoom + 1) + 3 * kMargin};
}

void CImportPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect real(kMargin, kMargin, SCREEN_WIDTH, SCREEN_HEIGHT);
    const QRect zoomed(kMargin, real.bottom() + 1 + kMargin, SCREEN_WIDTH * kZoom,
                       SCREEN_HEIGHT * kZoom);
    for (const QRect& screen : {real, zoomed}) {
        const int zoom = screen == real ? 1 : kZoom;
        p.fillRect(screen, Qt::white);
        if (!m_image.isNull()) {
            p.save();
            p.setClipRect(screen);
            p.drawImage(QRect(screen.topLeft(), m_image.size() * zoom), m_image);
            p.restore();
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(screen.adjusted(-1, -1, 0, 0));
    }
}

CImportDlg::CImportDlg(std::shared_ptr<const PictureSource> source, QSettings& settings,
                       std::optional<ImportOptions> initial, QWidget* parent)
    : QDialog(parent), m_session(std::move(source)), m_settings(settings) {
    setWindowTitle(QStringLiteral("Import Picture"));

    m_preview = new CImportPreview(this);
    m_originalSize = new QLabel(SizeText(m_session.OriginalSize()), this);
    m_originalSize->setObjectName(QStringLiteral("originalSize"));
    m_resultSize = new QLabel(this);
    m_resultSize->setObjectName(QStringLiteral("resultSize"));

    m_sizeMode = new QComboBox(this);
    m_sizeMode->setObjectName(QStringLiteral("sizeMode"));
    m_sizeMode->addItem(QStringLiteral("Fit the screen, keep proportions"), int(SizeMode::Fit));
    m_sizeMode->addItem(QStringLiteral("Original size"), int(SizeMode::Original));
    m_sizeMode->addItem(QStringLiteral("Stretch to 128 \u00D7 64"), int(SizeMode::Stretch));
    m_sizeMode->addItem(QStringLiteral("Custom W \u00D7 H"), int(SizeMode::Custom));
    m_customWidth = new QSpinBox(this);
    m_customWidth->setObjectName(QStringLiteral("customWidth"));
    m_customHeight = new QSpinBox(this);
    m_customHeight->setObjectName(QStringLiteral("customHeight"));
    for (QSpinBox* box : {m_customWidth, m_customHeight})
        box->setRange(kMinImportSide, kMaxImportSide);

    m_threshold = new QSlider(Qt::Horizontal, this);
    m_threshold->setObjectName(QStringLiteral("threshold"));
    m_threshold->setRange(kMinImportThreshold, kMaxImportThreshold);
    m_thresholdValue = new QLabel(this);
    m_thresholdValue->setObjectName(QStringLiteral("thresholdValue"));
    m_thresholdValue->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));

    m_dither = new QComboBox(this);
    m_dither->setObjectName(QStringLiteral("dither"));
    m_dither->addItem(QStringLiteral("None (threshold)"), int(Dither::None));
    m_dither->addItem(QStringLiteral("Floyd\u2013Steinberg"), int(Dither::FloydSteinberg));
    m_dither->addItem(QStringLiteral("Atkinson"), int(Dither::Atkinson));
    m_dither->addItem(QStringLiteral("Ordered (Bayer 8 \u00D7 8)"), int(Dither::Bayer));
    m_invert = new QCheckBox(QStringLiteral("&Invert"), this);
    m_invert->setObjectName(QStringLiteral("invert"));
    m_background = new QComboBox(this);
    m_background->setObjectName(QStringLiteral("background"));
    m_background->addItem(QStringLiteral("White"), int(Background::White));
    m_background->addItem(QStringLiteral("Black"), int(Background::Black));

    auto* custom = new QHBoxLayout;
    custom->addWidget(m_customWidth);
    custom->addWidget(new QLabel(QStringLiteral("\u00D7"), this));
    custom->addWidget(m_customHeight);
    custom->addStretch();
    auto* threshold = new QHBoxLayout;
    threshold->addWidget(m_threshold, 1);
    threshold->addWidget(m_thresholdValue);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Original size:"), m_originalSize);
    form->addRow(QStringLiteral("Result size:"), m_resultSize);
    form->addRow(QStringLiteral("&Size:"), m_sizeMode);
    form->addRow(QString(), custom);
    auto* thresholdLabel = new QLabel(QStringLiteral("&Threshold:"), this);
    thresholdLabel->setBuddy(m_threshold);  // a row of a layout gets no buddy by itself
    form->addRow(thresholdLabel, threshold);
    form->addRow(QStringLiteral("&Dither:"), m_dither);
    form->addRow(QString(), m_invert);
    form->addRow(QStringLiteral("&Background:"), m_background);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImportDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImportDlg::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_preview, 0, Qt::AlignTop);
    top->addLayout(form, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    Show(initial ? Clamped(*initial) : Remembered(settings, m_session.OriginalSize()));

    auto refresh = [this] { Refresh(); };
    connect(m_sizeMode, &QComboBox::currentIndexChanged, this, refresh);
    connect(m_customWidth, &QSpinBox::valueChanged, this, refresh);
    connect(m_customHeight, &QSpinBox::valueChanged, this, refresh);
    connect(m_threshold, &QSlider::valueChanged, this, refresh);
    connect(m_dither, &QComboBox::currentIndexChanged, this, refresh);
    connect(m_invert, &QCheckBox::toggled, this, refresh);
    connect(m_background, &QComboBox::currentIndexChanged, this, refresh);
}

CImportDlg::~CImportDlg() = default;

std::optional<ImportResult> CImportDlg::Run(std::shared_ptr<const PictureSource> source,
                                            QSettings& settings,
                                            std::optional<ImportOptions> initial, QWidget* parent) {
    CImportDlg dialog(std::move(source), settings, initial, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}

ImportOptions CImportDlg::Options() const {
    ImportOptions o;
    o.size = SizeMode(m_sizeMode->currentData().toInt());
    o.custom = {m_customWidth->value(), m_customHeight->value()};
    o.threshold = m_threshold->value();
    o.dither = Dither(m_dither->currentData().toInt());
    o.invert = m_invert->isChecked();
    o.background = Background(m_background->currentData().toInt());
    return o;
}

const Picture& CImportDlg::PreviewPicture() const {
    return m_preview->Shown();
}

void CImportDlg::Show(const ImportOptions& o) {
    m_showing = true;
    Select(m_sizeMode, int(o.size));
    m_customWidth->setValue(o.custom.width);
    m_customHeight->setValue(o.custom.height);
    m_threshold->setValue(o.threshold);
    Select(m_dither, int(o.dither));
    m_invert->setChecked(o.invert);
    Select(m_background, int(o.background));
    m_showing = false;
    Refresh();
}

void CImportDlg::Refresh() {
    if (m_showing) return;
    const ImportOptions o = Options();
    const bool custom = o.size == SizeMode::Custom;
    m_customWidth->setEnabled(custom);
    m_customHeight->setEnabled(custom);
    m_thresholdValue->setText(QString::number(o.threshold));
    m_resultSize->setText(SizeText(m_session.ResultSize(o)));
    m_preview->SetPicture(m_session.Preview(o));
}

void CImportDlg::accept() {
    const ImportOptions o = Options();
    m_result = ImportResult{o, m_session.Convert(o)};
    Remember(m_settings, o);
    QDialog::accept();
}

ImportOptions CImportDlg::Remembered(QSettings& settings, Size original) {
    ImportOptions o;
    const auto text = [&](const char* key, std::string_view fallback) {
        return settings.value(kGroup + QLatin1String(key), Latin1(fallback))
            .toString()
            .toStdString();
    };
    const std::string mode = text("size", "");
    if (mode == SizeModeName(SizeMode::Stretch))
        o.size = SizeMode::Stretch;
    else if (mode == SizeModeName(SizeMode::Custom))
        o.size = SizeMode::Custom;
    else
        o.size = DefaultSizeMode(original);
    o.custom.width = settings.value(kGroup + QStringLiteral("customWidth"), o.custom.width).toInt();
    o.custom.height =
        settings.value(kGroup + QStringLiteral("customHeight"), o.custom.height).toInt();
    o.threshold = settings.value(kGroup + QStringLiteral("threshold"), o.threshold).toInt();
    o.dither = ParseDither(text("dither", DitherName(o.dither))).value_or(Dither::None);
    o.invert = settings.value(kGroup + QStringLiteral("invert"), false).toBool();
    o.background = ParseBackground(text("background", BackgroundName(o.background)))
                       .value_or(Background::White);
    return Clamped(o);
}

void CImportDlg::Remember(QSettings& settings, const ImportOptions& o) {
    settings.setValue(kGroup + QStringLiteral("size"), Latin1(SizeModeName(o.size)));
    settings.setValue(kGroup + QStringLiteral("customWidth"), o.custom.width);
    settings.setValue(kGroup + QStringLiteral("customHeight"), o.custom.height);
    settings.setValue(kGroup + QStringLiteral("threshold"), o.threshold);
    settings.setValue(kGroup + QStringLiteral("dither"), Latin1(DitherName(o.dither)));
    settings.setValue(kGroup + QStringLiteral("invert"), o.invert);
    settings.setValue(kGroup + QStringLiteral("background"), Latin1(BackgroundName(o.background)));
}

}  // namespace pictoma
