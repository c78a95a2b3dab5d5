#pragma once

#include "platform/ValueTransformer.h"

// fullScreenType → true exactly in the selected-display mode (1). Found by the name "isSelectedDisplay".
class IsSelectedDisplayTransformer : public ValueTransformer {
public:
    static constexpr int matchingValue = 1;
    QMetaType transformedValueClass() const override { return QMetaType::fromType<bool>(); }
    QVariant transformedValue(const QVariant& value) const override;
};
