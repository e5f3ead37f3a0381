#include "convert/vuoutfiletypeinfo.h"

vuOutFileTypeInfo::vuOutFileTypeInfo()
{
    fileTypes.insert(0, QStringLiteral("docx"));
    fileTypes.insert(1, QStringLiteral("doc"));
    fileTypes.insert(2, QStringLiteral("rtf"));
}
