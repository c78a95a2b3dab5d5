#include "playback/IsCustomFrameTransformer.h"

#include "platform/TypedNumber.h"

QVariant IsCustomFrameTransformer::transformedValue(const QVariant& value) const {
    // Nothing, or anything without an integer value, counts as 0.
    qint64 v = 0;
    if (value.canConvert<TypedNumber>())
        v = value.value<TypedNumber>().integerValue();
    else if (value.isValid())
        v = value.toLongLong();
    return QVariant(v == matchingValue);
}
