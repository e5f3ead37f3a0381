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

#include <algorithm>

#include <cstdio>
#include <cstring>

namespace {

QPointer<VuMainWindow> g_mainWindow;
QPointer<VuSkinManager> g_skinManager;

void print(const QString& text, std::FILE* stream)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The exit status of a command line that cannot be understood, as command
// line tools give it.
constexpr int kUsageError = 2;

// Qt's own options, which the application object takes out of the command
// line later: those that take the next argument as their value, and those
// that stand alone. Each may also be written with two dashes, and the ones
// that take a value as "-name=value".
const char* const kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "geometry", "qwindowicon",        "qwindowtitle",  "title",   "session",
    "display",  "name",               "visual",        "style",   "stylesheet",
    "qmljsdebugger",
};
const char* const kQtSwitches[] = { "reverse", "testability", "widgetcount", "nograb", "dograb" };

// How many arguments a Qt option at argv[i] takes up (itself and its
// value), or 0 when it is none of Qt's.
int qtOptionLength(const QByteArray& argument)
{
    QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
    const int equals = int(name.indexOf('='));
    for (const char* known : kQtOptionsWithValue) {
        if (equals > 0 && name.left(equals) == known)
            return 1;
        if (name == known)
            return 2;
    }
    for (const char* known : kQtSwitches) {
        if (name == known)
            return 1;
    }
    return 0;
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

int VuApplication::optionCount(int argc, char** argv)
{
    for (int i = 1; i < argc && argv[i]; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            return i;
        // A value of one of Qt's options is no "--" that ends them.
        if (argument.startsWith('-'))
            i += std::max(1, qtOptionLength(argument)) - 1;
    }
    return argc;
}

bool VuApplication::processCmdLine(int argc, char** argv, int* exitCode)
{
    *exitCode = 0;
    argc = optionCount(argc, argv);
    for (int i = 1; i < argc && argv[i]; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "-h" || argument == "--help") {
            print(helpText(), stdout);
            return true;
        }
        if (argument == "-v" || argument == "--version") {
            print(versionText(), stdout);
            return true;
        }
        // Any other word is no option and is left alone.
        if (!argument.startsWith('-'))
            continue;
        const int length = qtOptionLength(argument);
        if (length == 0) {
            print(QStringLiteral("%1: unknown option '%2'\n").arg(VuPref::product_key(), QString::fromLocal8Bit(argument))
                      + usageLine(),
                  stderr);
            *exitCode = kUsageError;
            return true;
        }
        i += length - 1;
    }
    return false;
}

QString VuApplication::usageLine()
{
    return QStringLiteral("Usage: %1 [-h|--help] [-v|--version]\n").arg(VuPref::product_key());
}

QString VuApplication::helpText()
{
    return usageLine() + QStringLiteral("Converts PDF documents into ePub e-books.\n");
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
