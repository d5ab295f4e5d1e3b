#include "composition/panels/CanvasSettings.h"

#include "common/FileNameDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDir>
#include <QImageReader>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QTransform>

#include <array>
#include <cmath>

CanvasSettings* theCanvasSettings = nullptr;

namespace {

const QString inchSign = QStringLiteral("\"");
const QString centimetres = QStringLiteral("cm");
const char* const settingsGroup = "CanvavsSettings";   // the stored name, misspelt long ago
constexpr qint64 largestPicture = 100000000;           // pixels of a backdrop picture

// Pixels per unit at photo-print resolution.
QMap<QString, int> unitTable;

}  // namespace

CanvasSettings::CanvasSettings(QWidget* parent)
    : CanvasSettingsInterface(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint),
      unitKey_(inchSign) {
    theCanvasSettings = this;
    setupUi(this);
    resize(1, 1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* closeShortcut = new QShortcut(QKeySequence::Close, this);
    closeShortcut->setContext(Qt::WindowShortcut);
    connect(closeShortcut, &QShortcut::activated, this, &QWidget::close);

    unitTable.insert(inchSign, 300);
    unitTable.insert(centimetres, 118);
    unitKey_ = get_units();

    photoQualityLabel->setToolTip(tr("To change units, right-click the mouse"));

    megapixelsSlider->setRange(0, 100);
    for (QSpinBox* box : {widthSpinBox, heightSpinBox}) {
        box->setRange(1, 10000);
        const QFontMetrics metrics(box->font());
        box->setMinimumWidth(5 * metrics.horizontalAdvance(QLatin1Char('0')) + 40 +
                             metrics.horizontalAdvance(box->suffix()));
    }

    const float unit = float(aspectProduct_ * 100);
    const int k = int(std::ceil(std::sqrt(1000000.0f / unit)));
    setSliderFromArea(k * k * int(unit));
    on_megapixelsSlider_valueChanged(megapixelsSlider->value());
    previewWidget->setBackground(backgroundColour_);
}

CanvasSettings::~CanvasSettings() {
    if (theCanvasSettings == this)
        theCanvasSettings = nullptr;
}

int CanvasSettings::reducedAspectProduct(int a, int b) {
    // The search stops below half of either side, so 8 x 4 keeps its factor 2 (product 32).
    for (int i = 2; 2 * i < a && 2 * i < b; ++i) {
        if (a % i == 0 && b % i == 0) {
            a /= i;
            b /= i;
        }
    }
    return a * b;
}

int CanvasSettings::sliderPositionForArea(int area) {
    if (area <= 1000)
        return 0;
    return int(std::sqrt((area - 1000) * 0.0012501562695336917));
}

int CanvasSettings::unitArea() const {
    return aspectProduct_ < 160 ? aspectProduct_ * 100 : 2500;
}

void CanvasSettings::setBackgroundColour(const QColor& colour) {
    backgroundColour_ = colour;
    previewWidget->setBackground(colour);
}

void CanvasSettings::setCanvasSize(const QSize& size) { applySize(size.width(), size.height()); }

void CanvasSettings::setBackdropPixmap(const QPixmap& pixmap) {
    backdropPixmap_ = pixmap;
    previewWidget->setBackdrop(pixmap);
}

void CanvasSettings::accept() {
    const QSize size(widthSpinBox->value(), heightSpinBox->value());
    emit backgroundColourChanged(backgroundColour_);
    emit canvasSizeChanged(size);
    emit backdropPixmapChanged(backdropPixmap_, size);
    // Again, after the backdrop: its picture may have set the canvas to its own size.
    emit canvasSizeChanged(size);
    QDialog::accept();
}

void CanvasSettings::reject() { QDialog::reject(); }

void CanvasSettings::on_setImagePushButton_clicked(bool) {
    const QString fileName = FileNameDialog::askImageFilename(this);
    if (!fileName.isEmpty())
        loadBackdropPicture(fileName);
}

void CanvasSettings::loadBackdropPicture(const QString& fileName) {
    QImageReader reader(fileName);
    const QSize declared = reader.size();
    QImage picture;
    if (!declared.isValid() || qint64(declared.width()) * declared.height() <= largestPicture)
        picture = reader.read();
    if (picture.isNull() || qint64(picture.width()) * picture.height() > largestPicture) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The picture %1 could not be used as the background.")
                                 .arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    setBackdropPixmap(QPixmap::fromImage(picture));
    applySize(picture.width(), picture.height());
}

void CanvasSettings::on_clearImagePushButton_clicked(bool) { setBackdropPixmap(QPixmap()); }

void CanvasSettings::on_setColourPushButton_clicked(bool) {
    setBackdropPixmap(QPixmap());
    const QColor colour = QColorDialog::getColor(backgroundColour_, this, QString());
    if (colour.isValid() && colour != backgroundColour_)
        setBackgroundColour(colour);
}

void CanvasSettings::on_megapixelsSlider_valueChanged(int) {
    const int v = megapixelsSlider->value();
    const int area = int(v * v * 799.9000000000001 + 1000);
    const int unit = unitArea();
    const int k = int(std::ceil(std::sqrt(float(area) / float(unit))));
    const int kku = k * k * unit;
    setWidth(int(std::sqrt(kku * aspectRatio_) + 0.5));
    setHeight(int(std::sqrt(kku / aspectRatio_) + 0.5));
    updateSizeTexts();
}

void CanvasSettings::on_rotateLeftButton_clicked(bool) { rotateBy(-90); }
void CanvasSettings::on_rotateRightButton_clicked(bool) { rotateBy(90); }

void CanvasSettings::rotateBy(int degrees) {
    if (!backdropPixmap_.isNull())
        setBackdropPixmap(backdropPixmap_.transformed(QTransform().rotate(degrees, Qt::ZAxis),
                                                      Qt::FastTransformation));
    const int oldWidth = widthSpinBox->value();
    const int oldHeight = heightSpinBox->value();
    setWidth(oldHeight);
    setHeight(oldWidth);
    aspectRatio_ = double(oldHeight) / oldWidth;
    aspectProduct_ = reducedAspectProduct(oldHeight, oldWidth);
    updateSizeTexts();
}

void CanvasSettings::on_widthSpinBox_valueChanged(int value) {
    applySize(value, heightSpinBox->value());
}

void CanvasSettings::on_heightSpinBox_valueChanged(int value) {
    applySize(widthSpinBox->value(), value);
}

void CanvasSettings::setWidth(int width) {
    {
        const QSignalBlocker quiet(widthSpinBox);
        widthSpinBox->setValue(width);
    }
    previewWidget->setCanvasWidth(widthSpinBox->value());
}

void CanvasSettings::setHeight(int height) {
    {
        const QSignalBlocker quiet(heightSpinBox);
        heightSpinBox->setValue(height);
    }
    previewWidget->setCanvasHeight(heightSpinBox->value());
}

void CanvasSettings::applySize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;   // no aspect to take from an empty size
    setWidth(width);
    setHeight(height);
    aspectRatio_ = double(width) / height;
    aspectProduct_ = reducedAspectProduct(width, height);
    updateSizeTexts();
    setSliderFromArea(widthSpinBox->value() * heightSpinBox->value());
}

void CanvasSettings::setSliderFromArea(int area) {
    const QSignalBlocker quiet(megapixelsSlider);
    megapixelsSlider->setValue(sliderPositionForArea(area));
}

namespace {

// The word for a length below each bound, and the last one from the last bound on.
QString lengthWord(int length, const std::array<const char*, 6>& words) {
    static const int bounds[] = {100, 300, 600, 1000, 1500};
    int i = 0;
    while (i < 5 && length >= bounds[i])
        ++i;
    return CanvasSettings::tr(words[i]);
}

}  // namespace

void CanvasSettings::updateSizeTexts() {
    const int w = widthSpinBox->value();
    const int h = heightSpinBox->value();

    megapixelsLabel->setText(
        tr("%1 megapixels").arg(QString::asprintf("%4.2g", (w * h) * 0.000001)));

    const int perUnit = unitTable.value(unitKey_, 0);
    if (perUnit > 0)
        photoQualityLabel->setText(QStringLiteral("%1%3 x %2%3")
                                       .arg(QString::number(w / perUnit),
                                            QString::number(h / perUnit), unitKey_));

    const double e = aspectRatio_ >= 1 ? aspectRatio_ : 1 / aspectRatio_;
    QString words;
    if (e <= 2) {
        const int n = int(std::sqrt(double(w) * h * e) + 0.5);
        words = lengthWord(n, {QT_TR_NOOP("thumbnail"), QT_TR_NOOP("small image"),
                               QT_TR_NOOP("medium image"), QT_TR_NOOP("large image"),
                               QT_TR_NOOP("very large image"), QT_TR_NOOP("huge image")});
    } else {
        words = lengthWord(w, {QT_TR_NOOP("very narrow"), QT_TR_NOOP("narrow"),
                               QT_TR_NOOP("medium-width"), QT_TR_NOOP("wide"),
                               QT_TR_NOOP("very wide"), QT_TR_NOOP("extremely wide")}) +
                lengthWord(h, {QT_TR_NOOP(", very short"), QT_TR_NOOP(", short"),
                               QT_TR_NOOP(", medium-height"), QT_TR_NOOP(", tall"),
                               QT_TR_NOOP(", very tall"), QT_TR_NOOP(", extremely tall")}) +
                tr(" image");
    }
    webEmailDesc->setPlainText(words);
}

QString CanvasSettings::defaultUnits() const {
    return locale().measurementSystem() == QLocale::ImperialUSSystem ? inchSign : centimetres;
}

QString CanvasSettings::get_units() {
    QSettings settings;
    settings.beginGroup(settingsGroup);
    const QString stored = settings.value("units").toString();
    settings.endGroup();
    return unitTable.contains(stored) ? stored : defaultUnits();
}

void CanvasSettings::set_units(const QString& units) {
    unitKey_ = unitTable.contains(units) ? units : defaultUnits();
    QSettings settings;
    settings.beginGroup(settingsGroup);
    settings.setValue("units", unitKey_);
    settings.endGroup();
    updateSizeTexts();
}

void CanvasSettings::set_units_in() { set_units(inchSign); }
void CanvasSettings::set_units_cm() { set_units(centimetres); }

void CanvasSettings::contextMenuEvent(QContextMenuEvent* event) {
    QProxyStyle style(QStyleFactory::create(QStringLiteral("windows")));
    QMenu menu;
    menu.setStyle(&style);
    menu.setStyleSheet(qApp->styleSheet());
    menu.addAction(QStringLiteral("Change units to inches"), this, &CanvasSettings::set_units_in);
    menu.addAction(QStringLiteral("Change units to centimetres"), this,
                   &CanvasSettings::set_units_cm);
    menu.exec(event->globalPos());
}

void CanvasSettings::showEvent(QShowEvent* event) {
    QSettings settings;
    settings.beginGroup(settingsGroup);
    const QByteArray geometry = settings.value("geometry").toByteArray();
    settings.endGroup();
    // Where the user left it; the first time, QDialog's own placement centres it over the
    // main window (without it the window system puts it in the screen's corner).
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        QDialog::showEvent(event);
    event->accept();
}

void CanvasSettings::hideEvent(QHideEvent* event) {
    QSettings settings;
    settings.beginGroup(settingsGroup);
    settings.setValue("geometry", saveGeometry());
    settings.endGroup();
    event->accept();
}
