// Feeds arbitrary bytes to the binary plist reader and the keyed-archive decoder; whatever decodes is
// written back and must decode again.
#include "platform/archive/BinaryPlist.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const BinaryPlistReadResult plist = BinaryPlist::read(bytes);
    if (plist.plist && BinaryPlist::read(plist.plist->write()).plist == std::nullopt)
        std::abort();
    const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(bytes);
    if (result.ok()) {
        const KeyedArchiveEncoding again = KeyedArchiver::archivedDataWithRootObject(result.value);
        if (!again.ok() || !KeyedUnarchiver::unarchiveObjectWithData(again.data).ok())
            std::abort();
    } else if (result.error.isEmpty()) {
        std::abort();
    }
    return 0;
}
