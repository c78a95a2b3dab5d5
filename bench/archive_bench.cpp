// Encoding and decoding a keyed archive shaped like a playlist of 10,000 clips: a settings dictionary of
// twelve numbers, isDynamicPlaylist, clips (10,000 bookmark blobs of ~120 bytes) and clipCollection
// (10,000 dictionaries of url, bookmark and secureBookmark).
#include "platform/archive/KeyedArchiveDictionary.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <benchmark/benchmark.h>

namespace {

using V = KeyedArchiveValue;

V playlist(int clipCount) {
    KeyedArchiveDictionary settings;
    for (const char* key : {"autoplay", "closeOthersAtStartup", "closeWhenFinished", "muted"})
        settings.insert(QLatin1String(key), V::number(TypedNumber::boolean(false)));
    settings.insert(QStringLiteral("speed"), V::number(TypedNumber::float32(1.0f)));
    settings.insert(QStringLiteral("volume"), V::number(TypedNumber::float32(1.0f)));
    for (const char* key : {"looping", "fullScreenType", "customFrameX", "customFrameY", "customFrameWidth",
                            "customFrameHeight"})
        settings.insert(QLatin1String(key), V::number(TypedNumber::integer(0)));

    QList<V> clips;
    QList<V> collection;
    for (int i = 0; i < clipCount; ++i) {
        const QString path = QStringLiteral("/home/user/Movies/Show %1/clip %2.mov").arg(i / 100).arg(i);
        QByteArray blob = QByteArray("ORVB\x01\x00\x00\x00", 8) + QByteArray(20, char(i)) + path.toUtf8();
        blob.resize(120, 'x');
        const V bookmark = V::data(blob);
        QByteArray secure = blob;
        secure[5] = 1;
        clips.append(bookmark);
        collection.append(V::dictionary({{"url", V::url(QUrl::fromLocalFile(path))},
                                         {"bookmark", bookmark},
                                         {"secureBookmark", V::data(secure)}}));
    }
    return V::dictionary({{"settings", V::dictionary(settings)},
                          {"isDynamicPlaylist", V::number(TypedNumber::boolean(false))},
                          {"clips", V::array(clips)},
                          {"clipCollection", V::array(collection)}});
}

void encodePlaylist(benchmark::State& state) {
    const V tree = playlist(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const KeyedArchiveEncoding encoding = KeyedArchiver::archivedDataWithRootObject(tree);
        bytes = encoding.data.size();
        benchmark::DoNotOptimize(encoding.data.constData());
    }
    state.counters["fileBytes"] = double(bytes);
}

void decodePlaylist(benchmark::State& state) {
    const QByteArray data = KeyedArchiver::archivedDataWithRootObject(playlist(int(state.range(0)))).data;
    for (auto _ : state) {
        const KeyedUnarchiveResult result = KeyedUnarchiver::unarchiveObjectWithData(data);
        if (!result.ok())
            state.SkipWithError(qPrintable(result.error));
        benchmark::DoNotOptimize(result.value.identity());
    }
    state.counters["fileBytes"] = double(data.size());
}

} // namespace

BENCHMARK(encodePlaylist)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(decodePlaylist)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
