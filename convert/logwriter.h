#ifndef LOGWRITER_H
#define LOGWRITER_H

// The diagnostic log of a module: the temporary folder, the module's own file
// name, ".1.log". Once it holds 8192 bytes or more, every line also refreshes
// a copy ending in ".2.log". Should either name in the temporary folder be
// anything but this user's own file with no other name (another user may
// have taken it first), that file goes by the same name into the user's
// private temporary folder, "<product key>-<uid>". Both the program and
// leafbinder compile this file, so each writes the log of its own module.
// Any thread may call it; no state is kept between calls.

#include <QString>

class QIODevice;

// printf-style; the formatted text is cut to 1023 bytes (never inside a
// UTF-8 character) and written followed by a line end. The format is always a
// literal of the caller: a path, a book name or anything a user typed goes in
// as the argument of a "%s".
void writeLogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The first line of a log entry: "<source>(<line>): in <function> : <time> <code>",
// with the local time as "yyyy/MM/dd hh:mm:ss" and the last system error code,
// taken before anything else can change it.
void writeLogSite(const char* source, int line, const char* function);

// A whole entry whose second line is empty: the common case.
void writeLogEntry(const char* source, int line, const char* function);

// The path of the log file of this module in the temporary folder, or an
// empty text when the module cannot be named.
QString logFilePath();

// Writes text to an open device as UTF-8; true.
bool writeToDevice(QIODevice* device, const QString& text);

#endif
