#pragma once

#include <QObject>

// Something that renders a libmpv handle's video: it owns the handle's render context. The handle owns
// its attachment and destroys it before the core, which is the only order libmpv accepts (a render
// context must be freed while its handle still exists). Implementations live on the widget side; this
// side only needs to know that one exists. Main thread only.
class MpvRenderAttachment : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MpvRenderAttachment() override;

    // True once a frame of the handle's current file has been rendered.
    virtual bool hasFrame() const = 0;
};
