#include "platform/os/appendfile.h"

#include <QFile>

#include <fcntl.h>

int openAppendNoFollow(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    return ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}
