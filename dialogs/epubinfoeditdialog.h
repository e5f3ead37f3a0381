#ifndef EPUBINFOEDITDIALOG_H
#define EPUBINFOEDITDIALOG_H

#include "app/bookinfo.h"
#include "platform/vuframe0/vudialog.h"

#include <QPixmap>
#include <QSize>
#include <QString>

#include <memory>

namespace Ui {
class epubInfoEditDialog;
}

// "Edit EPUB Info": edits the book information of a task row (name, author,
// ISBN, publisher, publish date, series, comments, cover picture). The main
// window builds it on the stack with the row's record, runs it and writes
// bookInfo() back into the row whichever way it closed: only OK changes the
// record, so Cancel, Escape and the close button give it back as it came.
// Nothing typed is checked or trimmed; a cover file that gives no picture
// is refused with a message. GUI thread only.
class EpubInfoEditDialog : public VuDialog {
    Q_OBJECT
public:
    EpubInfoEditDialog(BookInfo info, QWidget* parent = nullptr);
    ~EpubInfoEditDialog() override;

    BookInfo bookInfo() const;

    // The cover file the dialog shows now; OK makes it the record's.
    QString currentCoverPath() const { return m_coverPath; }

    // The size a picture is shown at in a box, keeping its proportions: an
    // upright picture relatively higher than the box takes the box's
    // height, every other one the box's width.
    static QSize fittedCoverSize(const QSize& picture, const QSize& box);

public slots:
    void slotsAddCover();
    void slotsDeleteCover();
    void slotsSaveBookInfo();
    void showImageInContainer();

private:
    void loadBookInfo();
    bool loadCover(const QString& path);
    void showLoadedCover();

    QPixmap m_cover;
    BookInfo m_info;
    QString m_coverPath;
    std::unique_ptr<Ui::epubInfoEditDialog> ui;
};

#endif
