#ifndef VUBOOKLINKLABEL_H
#define VUBOOKLINKLABEL_H

#include <QLabel>
#include <QString>

// The link a converted row shows over its "Status" cell: the book's file
// name, which hands the book's full path to linkActivated. A name wider than
// the cell ends in "…", and the whole name is the label's tooltip. Folder
// and name are escaped, so a "&" or "<" in them neither breaks the label nor
// changes the path the link hands over. GUI thread only.
class VuBookLinkLabel : public QLabel {
    Q_OBJECT
public:
    VuBookLinkLabel(const QString& bookPath, const QString& name, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showName();

    QString m_bookPath;
    QString m_name;
};

#endif
