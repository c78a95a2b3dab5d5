#pragma once

#include <QMetaType>
#include <QVariant>

// A named, stateless conversion used by the interface to show a derived value of a setting or a list.
class ValueTransformer {
public:
    virtual ~ValueTransformer() = default;
    virtual QMetaType transformedValueClass() const = 0;
    virtual bool allowsReverseTransformation() const { return false; }
    virtual QVariant transformedValue(const QVariant& value) const = 0;
};
