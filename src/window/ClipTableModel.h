#pragma once

#include "document/ClipRecord.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMetaType>

Q_DECLARE_METATYPE(ClipRecordPtr)

// The rows of the clip table: one per arranged clip, with the columns poster, name and duration. A
// missing clip's row is greyed, shows a dash for its duration and the reason it is missing as its tool
// tip (other rows show their file's path).
// The model only shows what its clips controller gives it; every edit goes through the controller,
// which tells the model what changed so that views keep their selection and scroll position.
// Main thread only.
class ClipTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PosterColumn = 0, NameColumn = 1, DurationColumn = 2, ColumnCount = 3 };
    // The ClipRecordPtr of a row, in every column.
    static constexpr int ClipRole = Qt::UserRole + 1;

    explicit ClipTableModel(QObject* parent = nullptr);

    const QList<ClipRecordPtr>& clips() const { return m_clips; }

    // Edits, called by the clips controller only.
    void resetClips(const QList<ClipRecordPtr>& clips);
    void insertClips(int row, const QList<ClipRecordPtr>& clips);
    void removeClipsAt(int row, int count);
    // The record shown in the row changed (a missing clip's file came back): the row is drawn anew.
    void clipDidChange(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // "HH:MM:SS.mmm" of a clip's qttimeDuration; empty when the text does not parse.
    static QString durationText(const ClipRecord& clip);

private:
    QList<ClipRecordPtr> m_clips;
};
