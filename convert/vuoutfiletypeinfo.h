#ifndef VUOUTFILETYPEINFO_H
#define VUOUTFILETYPEINFO_H

#include <QMap>
#include <QString>

// The output file types the main window keeps from its word-processor
// export days: 0 "docx", 1 "doc", 2 "rtf", and the chosen one. The
// conversion to ePub reads none of it.
class vuOutFileTypeInfo {
public:
    vuOutFileTypeInfo();

    QMap<int, QString> fileTypes;
    int currentType = 0;
};

#endif
