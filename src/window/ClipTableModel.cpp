#include "window/ClipTableModel.h"

#include "platform/media/TimeDisplay.h"

#include <QGuiApplication>
#include <QPalette>

ClipTableModel::ClipTableModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void ClipTableModel::resetClips(const QList<ClipRecordPtr>& clips) {
    beginResetModel();
    m_clips = clips;
    endResetModel();
}

void ClipTableModel::insertClips(int row, const QList<ClipRecordPtr>& clips) {
    if (clips.isEmpty())
        return;
    beginInsertRows({}, row, row + int(clips.size()) - 1);
    for (qsizetype i = 0; i < clips.size(); ++i)
        m_clips.insert(row + i, clips[i]);
    endInsertRows();
}

void ClipTableModel::removeClipsAt(int row, int count) {
    if (count <= 0)
        return;
    beginRemoveRows({}, row, row + count - 1);
    m_clips.remove(row, count);
    endRemoveRows();
}

int ClipTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_clips.size());
}

int ClipTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ClipTableModel::durationText(const ClipRecord& clip) {
    const auto time = MovieTime::fromString(clip.qttimeDuration);
    return time ? makeTimeDisplayFromQTTime(*time) : QString();
}

QVariant ClipTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_clips.size())
        return {};
    const ClipRecordPtr& clip = m_clips[index.row()];
    if (!clip)
        return {};
    switch (role) {
    case ClipRole:
        return QVariant::fromValue(clip);
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return clip->name;
        if (index.column() == DurationColumn)
            return clip->isMissing() ? QStringLiteral("—") : durationText(*clip);
        return {};
    case Qt::ToolTipRole:
        return clip->isMissing() ? clip->missing->reason : clip->URL.toLocalFile();
    case Qt::ForegroundRole:
        // A missing clip is greyed as a disabled row would be, but stays selectable and removable.
        if (clip->isMissing())
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == DurationColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

void ClipTableModel::clipDidChange(int row) {
    if (row < 0 || row >= m_clips.size())
        return;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QVariant ClipTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case PosterColumn:
        return QStringLiteral("Poster");
    case NameColumn:
        return QStringLiteral("Name");
    case DurationColumn:
        return QStringLiteral("Duration");
    default:
        return {};
    }
}
