// The importing side of the middleware transport. One Unix-domain stream connection per
// service role (its endpoint "/var/run/piq/<role>" under HU_ROOT) carries the imports of that
// role; a role with at least one proxy is connected, and reconnected every kRetryMs while its
// server is down, so that a client started before its server connects when the server
// starts. Received events are read by the import's response factory on the receiver thread
// and handed to the proxy on its own thread; a frame or event that cannot be read is dropped
// with a trace error (a frame whose length cannot be right ends the connection).
//
// The process frame configures the middleware with the process's imports and registry and
// runs the receiver loop on its "PIQReceive" thread. Tests without the frame call configure
// and startReceiverThread themselves.
#pragma once

#include <cstdint>
#include <vector>

#include "piq/CQFServiceEvent.h"
#include "qf/QFApplication.h"

namespace QFPIQ {

constexpr int kRetryMs = 100;

// Replaces the imports and the registry (the service addresses of the imports).
void configure(const std::vector<SQFPIQImportEntry>& imports, const std::vector<SQFServiceRegistryEntry>& registry);
// The receiver loop on the calling thread, until stopReceiver (returns at once after it).
void serveReceiver();
void stopReceiver();
// Test aids: the receiver loop on a thread of its own, named "PIQReceive".
void startReceiverThread();
void stopReceiverThread();

// For the proxies.
struct SImport {
    const SQFPIQImportEntry* mEntry = nullptr;
    SQFServiceAddress mAddress;
};
// False when serviceName is not imported (or has no registry entry).
bool findImport(const CQFString& serviceName, SImport& import);
// The proxy of the id stands for the import from now on: connection reports and events follow.
void attach(uint64_t proxyId, const CQFString& serviceName);
void detach(uint64_t proxyId);
// Serializes and sends the event on its service's connection; false when it is not connected.
bool send(CQFServiceRequestEvent& event);

}  // namespace QFPIQ
