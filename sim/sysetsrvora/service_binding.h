// The four service interfaces on the middleware: "DorerSrv" provides DSYSOnOff,
// DSYSDorerClientStore and DSYSDorerAdmin, "DorerPageProxy" provides DSYSDorerClientGet.
// Requests are decoded and handed to the settings server; its answers and publications are
// encoded back. The answer-side fault switches (delay, no answer, dropped connection) live here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "piq/CQFPIQServer.h"
#include "server_options.h"
#include "settings_server.h"

namespace hu::sysetsrv {

class ServiceBinding : public ISettingsPublisher {
public:
    // onDropDue runs (on the request thread) once the --drop-after count is reached; the
    // owner then calls dropConnections from another thread.
    ServiceBinding(const ServerOptions& options, std::function<void()> onDropDue);

    // Serves server's state and requests; false when an endpoint cannot be bound.
    bool start(SettingsServer& server);
    // Closes every client connection of "DorerSrv" and serves again: the clients see the
    // service go and come back.
    bool dropConnections();
    // Finishes the request in progress and stops serving.
    void stop();

    void publishOperatingState(const std::string& state) override;
    void publishChangeId(int32_t changeId) override;
    void publishStoredChangeId(int32_t changeId) override;

private:
    // Publishes every attribute's current value, so that a subscriber gets it at once.
    void publishAll();
    void onOnOffRequest(const SQFPIQRequest& request, IQFIStream& payload);
    void onStoreRequest(const SQFPIQRequest& request, IQFIStream& payload);
    void onAdminRequest(const SQFPIQRequest& request, IQFIStream& payload);
    using RequestHandler = void (ServiceBinding::*)(const SQFPIQRequest&, IQFIStream&);
    // Runs one request; an answer the switches withheld is said on stderr once the request has
    // been carried out whole (a state switch publishes the new state after its answer), so that
    // whoever waits for that line knows the request's effects are out.
    void carryOut(RequestHandler handler, const SQFPIQRequest& request, IQFIStream& payload);
    // Sends a response unless the switches say otherwise; counts the request.
    void answer(const SQFPIQRequest& request, Request kind, uint32_t updateId, const FQFPIQPayloadWriter& writer);
    void answerFailed(const SQFPIQRequest& request);
    void countRequest();

    const ServerOptions& options_;
    std::function<void()> onDropDue_;
    SettingsServer* server_ = nullptr;
    CQFPIQServer service_{"DorerSrv"};
    CQFPIQServer pageService_{"DorerPageProxy"};
    std::atomic<uint32_t> requests_{0};
    const char* withheld_ = nullptr;  // the request whose answer carryOut is to report
};

}  // namespace hu::sysetsrv
