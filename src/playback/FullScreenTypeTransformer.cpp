#include "playback/FullScreenTypeTransformer.h"

#include "platform/TypedNumber.h"

QVariant FullScreenTypeTransformer::transformedValue(const QVariant& value) const {
    qint64 v = 0;
    if (value.canConvert<TypedNumber>())
        v = value.value<TypedNumber>().integerValue();
    else if (value.isValid())
        v = value.toLongLong();
    return QVariant(v == m_matchingValue);
}
