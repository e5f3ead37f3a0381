#include "dialogs/pictureconfig.h"
#include "ui_pictureconfig.h"

#include "app/taskrow.h"
#include "convert/logwriter.h"
#include "convert/pdfgraber.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const char kSource[] = ".\\pictureConfig";

// The zoom of each item of the zoom list, in list order.
const int kZooms[] = {200, 100, 80, 60, 40, 20};
constexpr int kZoomCount = int(sizeof(kZooms) / sizeof(kZooms[0]));

// The zoom of a Picture-mode row that has none of its own.
constexpr int kDefaultZoom = 100;

// The largest image area on the label; a page is fitted into it by
// comparing its proportions with these.
constexpr int kAreaWidth = 300;
constexpr int kAreaHeight = 400;

// A rectangle with left <= right and top <= bottom: an edge drag on the
// label may have turned it inside out.
QRect normalised(const QRect& rect)
{
    return QRect(QPoint(std::min(rect.left(), rect.right()), std::min(rect.top(), rect.bottom())),
                 QPoint(std::max(rect.left(), rect.right()), std::max(rect.top(), rect.bottom())));
}

void setSpin(QSpinBox* spin, int maximum, int value)
{
    const QSignalBlocker blocker(spin);
    spin->setRange(0, std::max(0, maximum));
    spin->setValue(value);
}

} // namespace

VuPictureConfigDialog::VuPictureConfigDialog(QTreeWidgetItem* row, QWidget* parent)
    : VuDialog(parent, Qt::WindowFlags())
    , ui(std::make_unique<Ui::pictureConfigDialog>())
    , m_row(row)
    , m_graber(std::make_unique<PDFGraber>())
{
    ui->setupUi(this);
    // The form's title is the placeholder "Dialog"; the product names it.
    widgetHelper()->setAllWindowTitle(VuPref::product_name());

    ui->comboboxZoom->setEditable(true);
    for (int zoom : kZooms)
        ui->comboboxZoom->addItem(QString::number(zoom) + QLatin1Char('%'));

    connect(ui->comboboxZoom, &QComboBox::currentIndexChanged, this, &VuPictureConfigDialog::zoomChanged);
    connect(ui->imageBackgroud, &vuSelectAreaLabel::emitSelectionChanged, this,
            &VuPictureConfigDialog::showParam);
    connect(ui->buttonBox->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
            &VuPictureConfigDialog::slotConfirm);
    connect(ui->spinBox_left, &QSpinBox::valueChanged, this, &VuPictureConfigDialog::setLeftMargin);
    connect(ui->spinBox_top, &QSpinBox::valueChanged, this, &VuPictureConfigDialog::setTopMargin);
    connect(ui->spinBoxWidth, &QSpinBox::valueChanged, this, &VuPictureConfigDialog::setSelectionWidth);
    connect(ui->spinBoxHeight, &QSpinBox::valueChanged, this, &VuPictureConfigDialog::setSelectionHeight);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &VuPictureConfigDialog::reject);

    // A document that does not open leaves the page count at 0, and OK then
    // says the page number is invalid. The grabber opens only a regular
    // file, without waiting: a named pipe in the PDF's place would hold the
    // window.
    m_graber->open(taskrow::pdfPath(row), taskrow::password(row));
    m_pageCount = m_graber->pageCount();
    browserPage(1);

    ui->labelTotalPage->setText(tr("Total Pages: %1").arg(m_pageCount));
    ui->labelCurrentPage->setText(tr("Select Page:"));
    ui->comboboxZoom->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^(\\d{1,2}%|1\\d{2}%|200%)$")), ui->comboboxZoom));
    selectStoredZoom(taskrow::conversionZoom(row));

    connect(ui->spinBoxPageNO, &QSpinBox::valueChanged, this, &VuPictureConfigDialog::browserPage);
    ui->spinBoxPageNO->setRange(1, m_pageCount);
    ui->spinBoxPageNO->setValue(1);

    // The rectangle of the row's last OK comes back (a row without one
    // selects the whole image area). The spin boxes and what OK stores take
    // it up too: otherwise OK without a drag would store the whole page
    // over the row's earlier area.
    const QRect stored = taskrow::labelArea(row);
    ui->imageBackgroud->setSelection(stored.left(), stored.top(), stored.right(), stored.bottom());
    showParam(ui->imageBackgroud->selection());
}

VuPictureConfigDialog::~VuPictureConfigDialog()
{
    m_graber->close();
}

void VuPictureConfigDialog::retranslate()
{
    ui->labelPixel->setText(tr("Output Pixel:"));
    ui->labelWidth->setText(marginText(tr("Width:")));
    ui->labelHeight->setText(marginText(tr("Height:")));
    ui->labelLeftMargin->setText(marginText(tr("Left Margin:")));
    ui->labelTopMargin->setText(marginText(tr("Top Margin:")));
}

// The spin-box labels end in one space.
QString VuPictureConfigDialog::marginText(const QString& text)
{
    return text + QLatin1Char(' ');
}

// Renders the page at 100 % and remembers its picture and the page's size
// at 100 %, which is the picture's unless the page was drawn smaller to stay
// within the pixel cap: the area is measured in page pixels either way.
// False when no picture could be made.
bool VuPictureConfigDialog::grabPage(int page)
{
    m_picturePath = m_graber->grabImage(page, kDefaultZoom, nullptr);
    m_pictureSize = QSize();
    if (m_picturePath.isEmpty())
        return false;
    QImage picture;
    if (picture.load(m_picturePath))
        m_pictureSize = m_graber->requestedSize();
    return true;
}

// Fits the image area to the picture's proportions (at most 300 x 400) and
// sets the scale from it. With resizeArea false only the scale follows the
// picture.
void VuPictureConfigDialog::fitImageArea(const QSize& picture, bool resizeArea)
{
    const int pw = picture.width();
    const int ph = picture.height();
    if (pw <= 0 || ph <= 0)
        return;
    vuSelectAreaLabel* label = ui->imageBackgroud;
    // A page thousands of times longer than wide still gets a pixel.
    if (double(ph) / pw > double(kAreaHeight) / kAreaWidth) {
        if (resizeArea) {
            label->setImageHeight(kAreaHeight);
            label->setImageWidth(std::max(1, int(double(pw) * kAreaHeight / ph)));
        }
        m_scale = double(ph) / kAreaHeight;
    } else {
        if (resizeArea) {
            label->setImageWidth(kAreaWidth);
            label->setImageHeight(std::max(1, int(double(ph) * kAreaWidth / pw)));
        }
        m_scale = double(pw) / kAreaWidth;
    }
}

void VuPictureConfigDialog::browserPage(int page)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!grabPage(page)) {
        writeLogEntry(kSource, 109, "VuPictureConfigDialog::browserPage");
        QApplication::restoreOverrideCursor();
        return;
    }
    if (!m_pictureSize.isValid()) {
        writeLogEntry(kSource, 105, "VuPictureConfigDialog::browserPage");
    } else if (m_scale == 0) {
        // Later pages keep the image area and the scale of the first page
        // shown.
        fitImageArea(m_pictureSize, true);
        zoomChanged(ui->comboboxZoom->currentIndex());
    }
    ui->imageBackgroud->loadImage(m_picturePath);
    QApplication::restoreOverrideCursor();
}

void VuPictureConfigDialog::slotShowContent()
{
    const int page = ui->spinBoxPageNO->value();
    if (page < 1 || page > m_pageCount) {
        VuMessageBox::info(tr("Page number is invalid!"), VuPref::product_name(), this);
        return;
    }
    if (!grabPage(page)) {
        writeLogEntry(kSource, 223, "VuPictureConfigDialog::slotShowContent");
        return;
    }
    ui->imageBackgroud->loadImage(m_picturePath);
    if (!m_pictureSize.isValid()) {
        writeLogEntry(kSource, 220, "VuPictureConfigDialog::slotShowContent");
        return;
    }
    fitImageArea(m_pictureSize, false);
    zoomChanged(ui->comboboxZoom->currentIndex());
}

void VuPictureConfigDialog::zoomChanged(int index)
{
    const int zoom = index >= 0 && index < kZoomCount ? kZooms[index] : 0;
    if (!m_pictureSize.isValid()) {
        writeLogEntry(kSource, 171, "VuPictureConfigDialog::zoomChanged");
        return;
    }
    // The size the pictures will have: the page grabbed at that zoom and cut
    // to the area the spin boxes show, as the conversion does it.
    const QRect area = chosenArea();
    QSize size = m_graber->pictureSize(zoom, &area);
    if (!size.isValid())
        size = QSize(0, 0);
    ui->labelPixel->setText(QStringLiteral("%1 %2 X %3")
                                .arg(tr("Output Pixel:"), QString::number(size.width()),
                                     QString::number(size.height())));
}

void VuPictureConfigDialog::showParam(const QRect& rect)
{
    // The area is what the label draws, also for a rectangle an edge drag
    // turned inside out.
    const QRect r = normalised(rect);
    vuSelectAreaLabel* label = ui->imageBackgroud;
    m_topMargin = std::max(0, r.top() - label->imageTop());
    m_leftMargin = std::max(0, r.left() - label->imageLeft());
    m_selectionWidth = r.width();
    m_selectionHeight = r.height();

    if (m_pictureSize.isValid()) {
        const QRect area = pageArea(r);
        setSpin(ui->spinBoxWidth, m_pictureSize.width(), area.width());
        setSpin(ui->spinBoxHeight, m_pictureSize.height(), area.height());
        setSpin(ui->spinBox_left, m_pictureSize.width() - area.width(), area.left());
        setSpin(ui->spinBox_top, m_pictureSize.height() - area.height(), area.top());
        zoomChanged(ui->comboboxZoom->currentIndex());
    }

    ui->labelLeftMargin->setText(marginText(tr("Left Margin:")));
    ui->labelTopMargin->setText(marginText(tr("Top Margin:")));
}

// The label's rectangle in page pixels at 100 %. The image area is the page
// cut to whole label pixels, so its last column and row stand for a little
// more: an edge on the image area's right or bottom edge is the page's edge,
// and the whole image area is the whole page.
QRect VuPictureConfigDialog::pageArea(const QRect& rect) const
{
    const vuSelectAreaLabel* label = ui->imageBackgroud;
    const int left = int(std::max(0, rect.left() - label->imageLeft()) * m_scale);
    const int top = int(std::max(0, rect.top() - label->imageTop()) * m_scale);
    int width = int(rect.width() * m_scale);
    int height = int(rect.height() * m_scale);
    if (rect.right() >= label->imageLeft() + label->imageWidth() - 1)
        width = m_pictureSize.width() - left;
    if (rect.bottom() >= label->imageTop() + label->imageHeight() - 1)
        height = m_pictureSize.height() - top;
    return QRect(left, top, width, height);
}

// The area the spin boxes show, in page pixels at 100 %.
QRect VuPictureConfigDialog::chosenArea() const
{
    const int x = ui->spinBox_left->value();
    const int y = ui->spinBox_top->value();
    return QRect(QPoint(x, y), QPoint(x + ui->spinBoxWidth->value() - 1, y + ui->spinBoxHeight->value() - 1));
}

// The spin boxes hold page pixels; the label and the stored margins and size
// are label pixels. An edit moves the label's rectangle and is taken up for
// OK as well, so that OK stores what the dialog shows. Nothing is moved
// before a page gave the dialog its scale.
void VuPictureConfigDialog::setLeftMargin(int value)
{
    if (m_scale <= 0)
        return;
    m_leftMargin = int(value / m_scale);
    ui->imageBackgroud->setSelectionX(ui->imageBackgroud->imageLeft() + m_leftMargin);
    zoomChanged(ui->comboboxZoom->currentIndex());
}

void VuPictureConfigDialog::setTopMargin(int value)
{
    if (m_scale <= 0)
        return;
    m_topMargin = int(value / m_scale);
    ui->imageBackgroud->setSelectionY(ui->imageBackgroud->imageTop() + m_topMargin);
    zoomChanged(ui->comboboxZoom->currentIndex());
}

void VuPictureConfigDialog::setSelectionHeight(int value)
{
    if (m_scale <= 0)
        return;
    m_selectionHeight = int(value / m_scale);
    ui->imageBackgroud->setSelectionHeight(m_selectionHeight);
    updateMarginRanges();
}

void VuPictureConfigDialog::setSelectionWidth(int value)
{
    if (m_scale <= 0)
        return;
    m_selectionWidth = int(value / m_scale);
    ui->imageBackgroud->setSelectionWidth(m_selectionWidth);
    updateMarginRanges();
}

// A new size leaves the margins the room the image area has beside it. A
// margin that no longer fits is cut, and its spin box then moves the
// rectangle back inside the image.
void VuPictureConfigDialog::updateMarginRanges()
{
    ui->spinBox_left->setMaximum(std::max(0, m_pictureSize.width() - ui->spinBoxWidth->value()));
    ui->spinBox_top->setMaximum(std::max(0, m_pictureSize.height() - ui->spinBoxHeight->value()));
    zoomChanged(ui->comboboxZoom->currentIndex());
}

void VuPictureConfigDialog::selectStoredZoom(int zoom)
{
    if (zoom == 0)
        zoom = kDefaultZoom;
    for (int i = 0; i < kZoomCount; ++i) {
        if (kZooms[i] == zoom) {
            ui->comboboxZoom->setCurrentIndex(i);
            return;
        }
    }
    ui->comboboxZoom->setEditText(QString::number(zoom) + QLatin1Char('%'));
}

// The zoom as typed or chosen. A row whose zoom is 0 converts in Text mode
// although it shows "Picture", so a text that gives no positive zoom ("0%",
// or an unfinished entry) means the usual 100 %.
int VuPictureConfigDialog::chosenZoom() const
{
    QString text = ui->comboboxZoom->currentText();
    text.remove(QLatin1Char('%'));
    bool ok = false;
    const int zoom = text.toInt(&ok, 10);
    return ok && zoom > 0 ? zoom : kDefaultZoom;
}

void VuPictureConfigDialog::slotConfirm()
{
    const int page = ui->spinBoxPageNO->value();
    if (page > m_pageCount || page <= 0) {
        VuMessageBox::info(tr("Page number is invalid!"), VuPref::product_name(), this);
        return;
    }

    // The row is in Picture mode once the dialog is accepted, so the zoom is
    // stored in every case; otherwise a row coming from Text mode would keep
    // zoom 0 and convert as Text.
    const int zoom = chosenZoom();
    if (!m_pictureSize.isValid()) {
        writeLogEntry(kSource, 257, "VuPictureConfigDialog::slotConfirm");
        taskrow::setConversionZoom(m_row, zoom);
        accept();
        return;
    }

    // The spin boxes show the area in page pixels: as the label's rectangle
    // scaled after a drag, as typed after an edit.
    const QRect area = chosenArea();
    if (area.left() <= area.right() && area.top() <= area.bottom()) {
        const vuSelectAreaLabel* label = ui->imageBackgroud;
        const QPoint topLeft(label->imageLeft() + m_leftMargin, label->imageTop() + m_topMargin);
        taskrow::setLabelArea(m_row, QRect(topLeft, QSize(m_selectionWidth, m_selectionHeight)));
        taskrow::setArea(m_row, area);
    } else {
        taskrow::setArea(m_row, QRect(QPoint(0, 0), m_pictureSize));
        writeLogEntry(kSource, 253, "VuPictureConfigDialog::slotConfirm");
    }
    taskrow::setConversionZoom(m_row, zoom);
    accept();
}
