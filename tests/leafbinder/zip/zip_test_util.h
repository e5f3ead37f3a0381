#ifndef ZIP_TEST_UTIL_H
#define ZIP_TEST_UTIL_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "ZipException.h"

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace ziptest {

// Deterministic bytes: noise, or text that deflates well.
QByteArray randomBytes(int size, quint32 seed);
QByteArray compressibleBytes(int size, quint32 seed);

// Writes a file (making its folder) and, when time >= 0, sets its
// modification time (seconds since 1970).
bool makeFile(const QString& path, const QByteArray& bytes, qint64 time = -1);
bool setModificationTime(const QString& path, qint64 time);

// Runs unzip -t, zipinfo, python3 -m zipfile -t and 7z t on an archive;
// returns an empty text when all accept it, else what went wrong.
QString outsideReadersComplaints(const QString& zipPath);

// Extracts with unzip into folder; empty text on success.
QString extractWithUnzip(const QString& zipPath, const QString& folder);

// Runs a program with folder as the current folder; empty text when it
// exits with 0, else its exit code and output.
QString runIn(const QString& folder, const QString& program, const QStringList& arguments);

// The code of the CZipException an action throws; 0 when it throws none.
template <typename F>
int codeOf(F&& action)
{
    try {
        action();
    } catch (const CZipException& e) {
        return e.getCode();
    }
    return 0;
}

} // namespace ziptest

#endif
