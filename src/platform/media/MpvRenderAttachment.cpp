#include "platform/media/MpvRenderAttachment.h"

MpvRenderAttachment::~MpvRenderAttachment() = default;
