#include "platform/Presenter.h"

#include "platform/HeadlessPresenter.h"

namespace {
Presenter* g_presenter = nullptr;
}

Presenter& Presenter::shared() {
    if (g_presenter)
        return *g_presenter;
    // Until the application installs its own, nothing may block on a person.
    static HeadlessPresenter fallback;
    return fallback;
}

void Presenter::setShared(Presenter* presenter) {
    g_presenter = presenter;
}
