#ifndef VULOG_P_H
#define VULOG_P_H

#include <QLoggingCategory>

// The framework's own diagnostics go to Qt's message handler under this
// category; the program's log files are the program's business.
Q_DECLARE_LOGGING_CATEGORY(lcVuframe)

#endif
