#include "platform/os/modulepath.h"

#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdint>

namespace {

// An address that lies inside the module this file is linked into.
void moduleAnchor() {}

struct ModuleSearch {
    std::uintptr_t address = 0;
    QString path;
    bool found = false;
};

QString executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer))
        return QString();
    return QString::fromLocal8Bit(buffer, length);
}

int visitModule(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<ModuleSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD)
            continue;
        const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (search->address >= start && search->address < start + segment.p_memsz) {
            // The main program is listed with an empty name.
            const char* name = info->dlpi_name;
            search->path = (name && *name) ? QString::fromLocal8Bit(name) : executablePath();
            search->found = true;
            return 1;
        }
    }
    return 0;
}

} // namespace

QString moduleFilePath()
{
    ModuleSearch search;
    search.address = reinterpret_cast<std::uintptr_t>(&moduleAnchor);
    dl_iterate_phdr(visitModule, &search);
    return search.found ? search.path : QString();
}
