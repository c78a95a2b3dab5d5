// Feeds arbitrary bytes to the M3U and XSPF readers: a list that reads has local entries only, and what
// is written of its entries, in either format, reads back to the same files and durations (titles may
// lose what a format cannot hold).
#include "document/M3uList.h"
#include "document/XspfList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QUrl list = QUrl::fromLocalFile(QStringLiteral("/lists/list.xspf"));
    for (const ExchangeReadResult& read :
         {M3uList::read(bytes, QStringLiteral("/lists")), XspfList::read(bytes, list)}) {
        if (!read && read.error.isEmpty())
            std::abort();
        for (const ExchangeEntry& entry : read.entries) {
            if (!entry.url.isLocalFile())
                std::abort();
        }
        if (!read)
            continue;
        const auto same = [&read](const QList<ExchangeEntry>& again, bool durationsInSeconds) {
            if (again.size() != read.entries.size())
                return false;
            for (qsizetype i = 0; i < again.size(); ++i) {
                const std::optional<qint64> expected = read.entries[i].durationMs;
                if (again[i].url != read.entries[i].url ||
                    (!durationsInSeconds && again[i].durationMs != expected) ||
                    again[i].durationMs.has_value() != expected.has_value())
                    return false;
            }
            return true;
        };
        if (!same(XspfList::read(XspfList::write(read.entries, QStringLiteral("t")), list).entries, false) ||
            !same(M3uList::read(M3uList::write(read.entries, QStringLiteral("/lists")),
                                QStringLiteral("/lists"))
                      .entries,
                  true))
            std::abort();
    }
    return 0;
}
