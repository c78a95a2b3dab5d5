#include "support/PinLoadedLibraries.h"

#include <dlfcn.h>
#include <link.h>

void pinLoadedLibraries() {
    dl_iterate_phdr(
        [](struct dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0])
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
