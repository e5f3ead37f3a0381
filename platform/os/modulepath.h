#ifndef MODULEPATH_H
#define MODULEPATH_H

#include <QString>

// The full path of the module (program or shared library) that this file is
// compiled into, or an empty text when it cannot be found. Each module that
// compiles this file gets its own answer.
QString moduleFilePath();

#endif
