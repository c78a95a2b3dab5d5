#pragma once

#include "platform/ValueTransformer.h"

// fullScreenType → true exactly when it equals one output mode. Nothing, or anything without an
// integer value, counts as 0. Never transforms back.
class FullScreenTypeTransformer : public ValueTransformer {
public:
    explicit FullScreenTypeTransformer(int matchingValue)
        : m_matchingValue(matchingValue) {}
    QMetaType transformedValueClass() const override { return QMetaType::fromType<bool>(); }
    QVariant transformedValue(const QVariant& value) const override;

private:
    int m_matchingValue;
};
