#include "app/celltexts.h"

#include <QCoreApplication>

namespace celltexts {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("VuTreeWidget", text);
}

} // namespace

QString pagesHint()
{
    return translated(QT_TRANSLATE_NOOP("VuTreeWidget", "Pages: e.g.(1,3,4,5-10)"));
}

QString textMode()
{
    return translated(QT_TRANSLATE_NOOP("VuTreeWidget", "Text"));
}

QString pictureMode()
{
    return translated(QT_TRANSLATE_NOOP("VuTreeWidget", "Picture"));
}

QString modeForZoom(int zoom)
{
    return zoom == 0 ? textMode() : pictureMode();
}

} // namespace celltexts
