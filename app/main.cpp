#include "leafbinder.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ns_epub::leafbinder builder;
    QLabel window(QStringLiteral("quireflow"));
    window.setWindowTitle(QStringLiteral("quireflow"));
    window.resize(400, 200);
    window.show();
    return app.exec();
}
