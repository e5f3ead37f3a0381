#include "platform/vuframe0/vuapplication.h"

#include "platform/vuframe0/vumainwindow.h"
#include "platform/vuframe0/vupref.h"
#include "platform/vuframe0/vuproduct.h"
#include "platform/vuframe0/vuskinmanager.h"

#include <QDir>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include <cstdio>
#include <cstring>

namespace {

QPointer<VuMainWindow> g_mainWindow;
QPointer<VuSkinManager> g_skinManager;

void printOut(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool loadTranslator(QObject* owner, const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(owner);
    if (translator->load(QLocale(), name, QStringLiteral("_"), folder)
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

} // namespace

VuApplication::VuApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setOrganizationName(VuPref::company_root_key());
    setApplicationName(VuPref::product_key());
    setApplicationVersion(VuProduct::productInfo(QStringLiteral("PRODUCT_VERSION")));
    setQuitOnLastWindowClosed(false);
}

VuApplication::~VuApplication() = default;

bool VuApplication::event(QEvent* event)
{
    if (event->type() == QEvent::Quit) {
        exit(0);
        event->accept();
        return true;
    }
    return QApplication::event(event);
}

VuApplication* VuApplication::instance()
{
    return qobject_cast<VuApplication*>(QCoreApplication::instance());
}

void VuApplication::setVuframeVersion(int version)
{
    m_vuframeVersion = version;
}

int VuApplication::installTranslators()
{
    int installed = 0;
    if (loadTranslator(this, QStringLiteral("qtbase"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        ++installed;
    if (loadTranslator(this, VuPref::product_key(),
                       applicationDirPath() + QStringLiteral("/translations")))
        ++installed;
    return installed;
}

bool VuApplication::initCfg(const char* cfgFolder, bool create)
{
    if (cfgFolder)
        VuPref::setStoreFolder(QString::fromLocal8Bit(cfgFolder));
    const QString folder = VuPref::storeFolder();
    if (create)
        QDir().mkpath(folder);
    return QDir(folder).exists();
}

bool VuApplication::processCmdLine(int argc, char** argv)
{
    for (int i = 1; i < argc && argv[i]; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            printOut(helpText());
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            printOut(versionText());
            return true;
        }
    }
    return false;
}

QString VuApplication::helpText()
{
    return QStringLiteral("Usage: %1 [--help] [--version]\n"
                          "Converts PDF documents into ePub e-books.\n")
        .arg(VuPref::product_key());
}

QString VuApplication::versionText()
{
    return QStringLiteral("%1 %2\n").arg(VuPref::product_name(),
                                         VuProduct::productInfo(QStringLiteral("PRODUCT_VERSION")));
}

void VuApplication::setMainWindow(VuMainWindow* window)
{
    g_mainWindow = window;
}

VuMainWindow* VuApplication::mainWindow()
{
    return g_mainWindow;
}

VuSkinManager* VuApplication::skinManager()
{
    if (!g_skinManager)
        g_skinManager = new VuSkinManager(QCoreApplication::instance());
    return g_skinManager;
}
