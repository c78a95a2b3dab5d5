#pragma once

#include "document/ClipRecord.h"
#include "platform/ValueTransformer.h"

#include <QList>
#include <QString>

// The total time of a list of clips: "Total Time:  H:MM:SS.mmm" (hours not zero-filled). The input is
// a QList<ClipRecordPtr> or a QStringList of qttimeDuration texts; texts that do not parse add nothing.
class ComputePlaylistDuration : public ValueTransformer {
public:
    QMetaType transformedValueClass() const override { return QMetaType::fromType<QString>(); }
    QVariant transformedValue(const QVariant& value) const override;

    static QString totalTimeText(const QList<ClipRecordPtr>& clips);
    static QString totalTimeText(const QStringList& durations);
};

Q_DECLARE_METATYPE(QList<ClipRecordPtr>)
