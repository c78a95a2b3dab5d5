#include "app/mpris/MprisService.h"

#include "app/mpris/MprisPlayerAdaptor.h"
#include "app/mpris/MprisRootAdaptor.h"
#include "app/mpris/MprisWindowChoice.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <cstdio>

namespace {

void reportUnavailable(const QString& reason) {
    // Once per process: a program without a session bus is not at fault and must not be flooded.
    static bool reported = false;
    if (reported)
        return;
    reported = true;
    std::fprintf(stderr, "orvanta: remote control (MPRIS) is not available: %s\n", qPrintable(reason));
}

} // namespace

MprisService::MprisService(OrvantaDocumentController& documents, QDBusConnection bus)
    : m_bus(std::move(bus))
    , m_choice(new MprisWindowChoice(documents, this)) {
    new MprisRootAdaptor(this, *m_choice, documents);
    new MprisPlayerAdaptor(this, objectPath(), m_bus, *m_choice, documents);
    if (!m_bus.isConnected()) {
        reportUnavailable(QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return;
    }
    if (!m_bus.registerObject(objectPath(), this, QDBusConnection::ExportAdaptors)) {
        reportUnavailable(QStringLiteral("%1 is taken").arg(objectPath()));
        return;
    }
    for (const QString& name :
         {serviceName(),
          serviceName() + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (m_bus.registerService(name)) {
            m_name = name;
            return;
        }
    }
    m_bus.unregisterObject(objectPath());
    reportUnavailable(QStringLiteral("the bus name %1 could not be had (%2)")
                          .arg(serviceName(), m_bus.lastError().message()));
}

MprisService::~MprisService() {
    if (m_name.isEmpty())
        return;
    m_bus.unregisterService(m_name);
    m_bus.unregisterObject(objectPath());
}
