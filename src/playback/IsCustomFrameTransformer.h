#pragma once

#include "platform/ValueTransformer.h"

// fullScreenType → true exactly in the custom-frame mode (3). Found by the name "isCustomFrame".
class IsCustomFrameTransformer : public ValueTransformer {
public:
    static constexpr int matchingValue = 3;
    QMetaType transformedValueClass() const override { return QMetaType::fromType<bool>(); }
    QVariant transformedValue(const QVariant& value) const override;
};
