#include "platform/Presenter.h"

#include <cstdio>
#include <cstdlib>

namespace {
Presenter* g_presenter = nullptr;
}

Presenter& Presenter::shared() {
    if (!g_presenter) {
        std::fputs("Orvanta: no presenter installed\n", stderr);
        std::abort();
    }
    return *g_presenter;
}

void Presenter::setShared(Presenter* presenter) { g_presenter = presenter; }
