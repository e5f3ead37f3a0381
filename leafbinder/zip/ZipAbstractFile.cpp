#include "ZipAbstractFile.h"

bool CZipAbstractFile::open(const QString&, int, bool)
{
    return false;
}

CZipAbstractFile::~CZipAbstractFile() = default;
