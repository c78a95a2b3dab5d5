#pragma once

#include <QObject>

// Something that renders a libmpv handle's video: it owns the handle's render context. The handle owns
// its attachment. Tear-down runs in two steps around the core's end: releaseRenderContext() first,
// while the core exists (libmpv accepts no other order), then the core terminates, then the attachment
// is deleted with whatever it still holds (an OpenGL context and its surface). Implementations live on
// the widget side; this side only needs to know that one exists. Main thread only.
class MpvRenderAttachment : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MpvRenderAttachment() override;

    // Frees the render context (and what was drawn with it). Called once before the core terminates;
    // implementations also call it from their destructor, so it must be idempotent.
    virtual void releaseRenderContext() = 0;

    // Renders the frame the core has handed over, if there is one (its video output waits for that).
    virtual void renderPendingFrame() = 0;

    // True once a frame has been rendered.
    virtual bool hasFrame() const = 0;
};
