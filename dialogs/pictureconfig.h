#ifndef PICTURECONFIG_H
#define PICTURECONFIG_H

#include "platform/vuframe0/vudialog.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class PDFGraber;
class QTreeWidgetItem;

namespace Ui {
class pictureConfigDialog;
}

// Chooses, for one task row in Picture mode, the zoom at which its pages are
// rendered and the page area that goes into the book. It shows a page of the
// row's PDF rendered at 100 % on a selection label, where the user draws the
// area; spin boxes show and set the area in page pixels, a combo box sets the
// zoom. OK writes the zoom (role 0x4e), the area in page pixels at 100 %
// (role 0x4c) and the label's own rectangle (role 0x4d, read back when the
// dialog is opened again for the row); Cancel writes nothing.
//
// The task list builds it for a row, without parent, and runs it modally.
// GUI thread only.
class VuPictureConfigDialog : public VuDialog {
    Q_OBJECT
public:
    VuPictureConfigDialog(QTreeWidgetItem* row, QWidget* parent = nullptr);
    ~VuPictureConfigDialog() override;

    void retranslate() override;

    // Page pixels (at 100 %) per label pixel; 0 until a page was shown.
    double scale() const { return m_scale; }
    int pageCount() const { return m_pageCount; }
    // The JPEG file of the page on show; empty until a page was grabbed.
    QString picturePath() const { return m_picturePath; }

public slots:
    void showParam(const QRect& rect);
    void slotShowContent();
    void slotConfirm();
    void zoomChanged(int index);
    void setLeftMargin(int value);
    void setTopMargin(int value);
    void setSelectionHeight(int value);
    void setSelectionWidth(int value);
    void browserPage(int page);

private:
    bool grabPage(int page);
    void fitImageArea(const QSize& picture, bool resizeArea);
    void updateMarginRanges();
    QRect pageArea(const QRect& rect) const;
    QRect chosenArea() const;
    void selectStoredZoom(int zoom);
    int chosenZoom() const;
    static QString marginText(const QString& text);

    std::unique_ptr<Ui::pictureConfigDialog> ui;
    double m_scale = 0;
    int m_leftMargin = 0;
    int m_topMargin = 0;
    int m_selectionWidth = 0;
    int m_selectionHeight = 0;
    int m_pageCount = 0;
    QString m_picturePath;
    // The page's size at 100 % (the size of the picture at m_picturePath,
    // unless the page was drawn smaller within the pixel cap); invalid when
    // the picture did not load.
    QSize m_pictureSize;
    QTreeWidgetItem* m_row = nullptr;
    std::unique_ptr<PDFGraber> m_graber;
};

#endif
