#include "dialogs/epubinfoeditdialog.h"
#include "ui_epubinfoeditdialog.h"

#include "dialogs/dialogprefs.h"
#include "platform/os/regularfile.h"
#include "platform/os/regularfiledevice.h"
#include "platform/vuframe0/vumessagebox.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuwidgethelper.h"

#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTimer>

namespace {

const QSize kDialogSize(534, 543);

// The cover is drawn once the dialog is on screen and the cover label has
// its final size.
constexpr int kCoverDrawDelayMs = 100;

} // namespace

EpubInfoEditDialog::EpubInfoEditDialog(BookInfo info, QWidget* parent)
    : VuDialog(parent, Qt::MSWindowsFixedSizeDialogHint)
    , m_info(std::move(info))
    , ui(std::make_unique<Ui::epubInfoEditDialog>())
{
    ui->setupUi(this);
    loadBookInfo();
    connect(ui->coverAddPushButton, &QPushButton::clicked, this, &EpubInfoEditDialog::slotsAddCover);
    connect(ui->coverDelPushButton, &QPushButton::clicked, this, &EpubInfoEditDialog::slotsDeleteCover);
    connect(ui->OKpushButton, &QPushButton::clicked, this, &EpubInfoEditDialog::slotsSaveBookInfo);

    widgetHelper()->setAllWindowTitle(tr("Edit EPUB Info"));
    setFixedSize(kDialogSize);
    QTimer::singleShot(kCoverDrawDelayMs, this, &EpubInfoEditDialog::showImageInContainer);
}

EpubInfoEditDialog::~EpubInfoEditDialog() = default;

BookInfo EpubInfoEditDialog::bookInfo() const
{
    return m_info;
}

void EpubInfoEditDialog::loadBookInfo()
{
    ui->seriesComboBox->setCurrentIndex(m_info.seriesIndex);
    if (!m_info.series.isEmpty())
        ui->seriesComboBox->setEditText(m_info.series);
    ui->bookNameLlineEdit->setText(m_info.title);
    ui->AuthorLineEdit->setText(m_info.author);
    ui->ISBNLineEdit->setText(m_info.isbn);
    ui->publisherLineEdit->setText(m_info.publisher);
    ui->publishDateLineEdit->setText(m_info.publishDate.isEmpty()
                                         ? QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))
                                         : m_info.publishDate);
    ui->commentsTextEdit->setPlainText(m_info.comments);
    m_coverPath = m_info.coverPath;
}

void EpubInfoEditDialog::slotsSaveBookInfo()
{
    m_info.title = ui->bookNameLlineEdit->text();
    m_info.author = ui->AuthorLineEdit->text();
    m_info.isbn = ui->ISBNLineEdit->text();
    m_info.publisher = ui->publisherLineEdit->text();
    m_info.publishDate = ui->publishDateLineEdit->text();
    m_info.comments = ui->commentsTextEdit->toPlainText();
    m_info.coverPath = m_coverPath;
    // For the editable list, what its edit line shows, typed or chosen.
    m_info.series = ui->seriesComboBox->currentText();
    m_info.seriesIndex = ui->seriesComboBox->currentIndex();
    accept();
}

void EpubInfoEditDialog::slotsAddCover()
{
    // The folder of the cover the row had when the dialog opened; a cover
    // chosen here does not count before OK.
    const QString startFolder = m_info.coverPath.isEmpty()
        ? dialogprefs::lastCoverFolder()
        : QFileInfo(m_info.coverPath).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, tr("Select a Cover Image"), startFolder,
                                                      QStringLiteral("Images (*.png *.jpg *.jpeg *.bmp)"));
    if (path.isEmpty())
        return;
    // A file that gives no picture (not an image whatever its name, not
    // readable, or no regular file at all) is refused, and the cover on
    // show stays the book's.
    if (!loadCover(path)) {
        VuMessageBox::info(tr("Failed to open file \"%1\".").arg(path), VuPref::product_name(), this);
        return;
    }
    m_coverPath = path;
    showLoadedCover();
    dialogprefs::setLastCoverFolder(QFileInfo(path).absolutePath());
}

void EpubInfoEditDialog::slotsDeleteCover()
{
    m_coverPath.clear();
    ui->coverLabel->clear();
}

QSize EpubInfoEditDialog::fittedCoverSize(const QSize& picture, const QSize& box)
{
    const int pw = picture.width();
    const int ph = picture.height();
    const int w = box.width();
    const int h = box.height();
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0)
        return QSize();
    // An upright picture relatively higher than the box fills its height;
    // every other picture its width. The cover label is higher than wide,
    // so a picture fitted to its width stays inside it.
    if (ph > pw && double(ph) / pw >= double(h) / w)
        return QSize(int(qint64(pw) * h / ph), h);
    return QSize(w, int(qint64(ph) * w / pw));
}

// Only from a regular file: a named pipe at the cover's path would block
// the dialog while it waits for a writer, and the book would later wait on
// it too. The cover pixmap changes only when a picture was read.
bool EpubInfoEditDialog::loadCover(const QString& path)
{
    RegularFileDevice file(RegularFile::open(path));
    if (!file.isOpen())
        return false;
    QImageReader reader(&file);
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    m_cover = QPixmap::fromImage(picture);
    return true;
}

void EpubInfoEditDialog::showImageInContainer()
{
    // A stored cover that does not load shows no cover rather than the
    // picture loaded before, which is not the one OK would keep.
    if (!loadCover(m_coverPath)) {
        m_cover = QPixmap();
        ui->coverLabel->clear();
        return;
    }
    showLoadedCover();
}

void EpubInfoEditDialog::showLoadedCover()
{
    const QSize target = fittedCoverSize(m_cover.size(), ui->coverLabel->size());
    if (target.isEmpty())
        return;
    m_cover = m_cover.scaledToHeight(target.height(), Qt::FastTransformation)
                  .scaledToWidth(target.width(), Qt::FastTransformation);
    ui->coverLabel->setPixmap(m_cover);
    update();
}
