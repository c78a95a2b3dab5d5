#include "document/ClipPasteboard.h"

#include "platform/media/MovieFileType.h"

#include <QFileInfo>
#include <QtEndian>
#include <limits>

const QString ClipPasteboard::MovedRowsType = QStringLiteral("application/x-orvanta-moved-rows");
const QString ClipPasteboard::CopiedRowsType = QStringLiteral("application/x-orvanta-copied-rows");
const QString ClipPasteboard::PrivateClipsType = QStringLiteral("application/x-orvanta-private-clips");
const QString ClipPasteboard::UriListType = QStringLiteral("text/uri-list");
const QString ClipPasteboard::GnomeCopiedFilesType = QStringLiteral("x-special/gnome-copied-files");

namespace {

constexpr char kMagic[4] = {'O', 'R', 'V', 'D'};
enum Kind : quint8 { MovedRows = 1, CopiedRows = 2, PrivateClips = 3 };
// The fewest bytes one element of each kind takes, which bounds a count by the data left.
constexpr qsizetype kMinimumRowSize = 4;
constexpr qsizetype kMinimumClipSize = 3 * 4 + 2;
constexpr qsizetype kMinimumReferenceSize = 4 + 2;

class Writer {
public:
    Writer(Kind kind, qsizetype count) {
        m_data.append(kMagic, sizeof kMagic);
        u8(ClipPasteboard::kVersion);
        u8(kind);
        u32(quint32(count));
    }
    void u8(quint8 value) { m_data.append(char(value)); }
    void u32(quint32 value) {
        const quint32 le = qToLittleEndian(value);
        m_data.append(reinterpret_cast<const char*>(&le), sizeof le);
    }
    void bytes(const QByteArray& value) {
        u32(quint32(value.size()));
        m_data.append(value);
    }
    void text(const QString& value) { bytes(value.toUtf8()); }
    void optionalBytes(const std::optional<QByteArray>& value) {
        u8(value ? 1 : 0);
        if (value)
            bytes(*value);
    }
    QByteArray data() const { return m_data; }

private:
    QByteArray m_data;
};

// Reads one payload; any fault sets failed() and every later read answers nothing.
class Reader {
public:
    explicit Reader(const QByteArray& data)
        : m_data(data) {}

    // The element count after a header of the given kind, bounded by the bytes left.
    std::optional<quint32> header(Kind kind, qsizetype minimumElementSize) {
        if (m_data.size() < qsizetype(sizeof kMagic) ||
            !m_data.startsWith(QByteArrayView(kMagic, sizeof kMagic)))
            return std::nullopt;
        m_pos = sizeof kMagic;
        if (u8() != ClipPasteboard::kVersion || u8() != kind)
            return std::nullopt;
        const quint32 count = u32();
        if (m_failed || qsizetype(count) > left() / minimumElementSize)
            return std::nullopt;
        return count;
    }
    quint8 u8() {
        if (!take(1))
            return 0;
        return quint8(m_data[m_pos - 1]);
    }
    quint32 u32() {
        if (!take(4))
            return 0;
        return qFromLittleEndian<quint32>(m_data.constData() + m_pos - 4);
    }
    QByteArray bytes() {
        const quint32 size = u32();
        if (m_failed || qsizetype(size) > left()) {
            m_failed = true;
            return {};
        }
        m_pos += size;
        return m_data.mid(m_pos - size, size);
    }
    QString text() {
        const QByteArray utf8 = bytes();
        return QString::fromUtf8(utf8);
    }
    std::optional<QByteArray> optionalBytes() {
        const quint8 present = u8();
        if (present > 1)
            m_failed = true;
        if (m_failed || present == 0)
            return std::nullopt;
        return bytes();
    }
    QUrl url() {
        const QString value = text();
        return value.isEmpty() ? QUrl() : QUrl(value, QUrl::StrictMode);
    }
    // Everything read, nothing left over, no fault on the way.
    bool finished() const { return !m_failed && m_pos == m_data.size(); }
    bool failed() const { return m_failed; }

private:
    qsizetype left() const { return m_data.size() - m_pos; }
    bool take(qsizetype size) {
        if (m_failed || size > left()) {
            m_failed = true;
            return false;
        }
        m_pos += size;
        return true;
    }

    const QByteArray& m_data;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

QString urlText(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QByteArray ClipPasteboard::encodeMovedRows(const QList<int>& rows) {
    Writer writer(MovedRows, rows.size());
    for (int row : rows)
        writer.u32(quint32(row));
    return writer.data();
}

std::optional<QList<int>> ClipPasteboard::decodeMovedRows(const QByteArray& data) {
    Reader reader(data);
    const std::optional<quint32> count = reader.header(MovedRows, kMinimumRowSize);
    if (!count)
        return std::nullopt;
    QList<int> rows;
    rows.reserve(*count);
    for (quint32 i = 0; i < *count; ++i) {
        const quint32 row = reader.u32();
        if (row > quint32(std::numeric_limits<int>::max()))
            return std::nullopt;
        rows.append(int(row));
    }
    if (!reader.finished())
        return std::nullopt;
    return rows;
}

QByteArray ClipPasteboard::encodeCopiedRows(const QList<ClipRecordPtr>& clips) {
    Writer writer(CopiedRows, clips.size());
    for (const ClipRecordPtr& clip : clips) {
        writer.text(urlText(clip->URL));
        writer.text(clip->name);
        writer.text(clip->qttimeDuration);
        writer.optionalBytes(clip->bookmark);
        writer.optionalBytes(clip->secureBookmark);
    }
    return writer.data();
}

std::optional<QList<ClipPasteboard::CopiedClip>> ClipPasteboard::decodeCopiedRows(const QByteArray& data) {
    Reader reader(data);
    const std::optional<quint32> count = reader.header(CopiedRows, kMinimumClipSize);
    if (!count)
        return std::nullopt;
    QList<CopiedClip> clips;
    clips.reserve(*count);
    for (quint32 i = 0; i < *count && !reader.failed(); ++i) {
        CopiedClip clip;
        clip.URL = reader.url();
        clip.name = reader.text();
        clip.qttimeDuration = reader.text();
        clip.bookmark = reader.optionalBytes();
        clip.secureBookmark = reader.optionalBytes();
        clips.append(std::move(clip));
    }
    if (!reader.finished())
        return std::nullopt;
    return clips;
}

QByteArray ClipPasteboard::encodePrivateClips(const QList<PrivateClipReference>& references) {
    Writer writer(PrivateClips, references.size());
    for (const PrivateClipReference& reference : references) {
        writer.text(urlText(reference.url));
        writer.optionalBytes(reference.bookmark);
        writer.optionalBytes(reference.secureBookmark);
    }
    return writer.data();
}

std::optional<QList<PrivateClipReference>> ClipPasteboard::decodePrivateClips(const QByteArray& data) {
    Reader reader(data);
    const std::optional<quint32> count = reader.header(PrivateClips, kMinimumReferenceSize);
    if (!count)
        return std::nullopt;
    QList<PrivateClipReference> references;
    references.reserve(*count);
    for (quint32 i = 0; i < *count && !reader.failed(); ++i) {
        PrivateClipReference reference;
        reference.url = reader.url();
        reference.bookmark = reader.optionalBytes();
        reference.secureBookmark = reader.optionalBytes();
        references.append(std::move(reference));
    }
    if (!reader.finished())
        return std::nullopt;
    return references;
}

std::unique_ptr<QMimeData> ClipPasteboard::mimeDataForRows(const QList<int>& rows,
                                                           const QList<ClipRecordPtr>& clips) {
    auto data = std::make_unique<QMimeData>();
    QList<PrivateClipReference> references;
    QList<QUrl> files;
    for (const ClipRecordPtr& clip : clips) {
        references.append(PrivateClipReference::forClip(*clip));
        if (clip->URL.isLocalFile())
            files.append(clip->URL);
    }
    // Other programs receive the files; only this program reads the three types of its own.
    data->setUrls(files);
    data->setData(MovedRowsType, encodeMovedRows(rows));
    data->setData(CopiedRowsType, encodeCopiedRows(clips));
    data->setData(PrivateClipsType, encodePrivateClips(references));
    return data;
}

std::unique_ptr<QMimeData> ClipPasteboard::mimeDataForClipboard(const QList<ClipRecordPtr>& clips) {
    auto data = std::make_unique<QMimeData>();
    QList<PrivateClipReference> references;
    QList<QUrl> files;
    QStringList paths;
    QByteArray copied("copy");
    for (const ClipRecordPtr& clip : clips) {
        references.append(PrivateClipReference::forClip(*clip));
        if (!clip->URL.isLocalFile())
            continue;
        files.append(clip->URL);
        paths.append(clip->URL.toLocalFile());
        copied.append('\n').append(clip->URL.toEncoded());
    }
    data->setData(PrivateClipsType, encodePrivateClips(references));
    data->setUrls(files);
    data->setText(paths.join(u'\n'));
    data->setData(GnomeCopiedFilesType, copied);
    return data;
}

QList<QUrl> ClipPasteboard::filesToPaste(const QMimeData& data) {
    const auto isFile = [](const QUrl& url) {
        return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile();
    };
    QList<QUrl> files;
    if (data.hasFormat(PrivateClipsType)) {
        for (const PrivateClipReference& reference :
             decodePrivateClips(data.data(PrivateClipsType)).value_or(QList<PrivateClipReference>())) {
            if (const QUrl url = reference.resolvedURL(); isFile(url))
                files.append(url);
        }
        return files;
    }
    QList<QUrl> urls = data.urls();
    if (urls.isEmpty() && data.hasFormat(GnomeCopiedFilesType)) {
        const QList<QByteArray> lines = data.data(GnomeCopiedFilesType).split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            urls.append(QUrl::fromEncoded(lines[i].trimmed(), QUrl::StrictMode));
    }
    for (const QUrl& url : urls) {
        if (isFile(url) && isMovieURL(url))
            files.append(url);
    }
    return files;
}
