#pragma once

#include "platform/ValueTransformer.h"

#include <QString>
#include <memory>

// The application's transformers by name. Main thread only; registered at start-up and kept until exit.
namespace ValueTransformerRegistry {
void setValueTransformer(std::shared_ptr<const ValueTransformer> transformer, const QString& name);
// Nothing when no transformer has that name.
std::shared_ptr<const ValueTransformer> valueTransformerForName(const QString& name);
} // namespace ValueTransformerRegistry
