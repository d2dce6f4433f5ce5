#include "service_binding.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "DSYSDorerAdmin.h"
#include "DSYSDorerClientGet.h"
#include "DSYSDorerClientStore.h"
#include "DSYSOnOff.h"

namespace hu::sysetsrv {

namespace {

const SQFImplementationVersion kImplementationVersion = {1, 0, 0};

}  // namespace

ServiceBinding::ServiceBinding(const ServerOptions& options, std::function<void()> onDropDue)
    : options_(options), onDropDue_(std::move(onDropDue)) {}

bool ServiceBinding::start(SettingsServer& server) {
    server_ = &server;
    using namespace std::placeholders;
    service_.provide({DSYSOnOff::kInterfaceName, DSYSOnOff::kVersionMajor, DSYSOnOff::kVersionMinor,
                      kImplementationVersion,
                      std::bind(&ServiceBinding::carryOut, this, &ServiceBinding::onOnOffRequest, _1, _2)});
    service_.provide({DSYSDorerClientStore::kInterfaceName, DSYSDorerClientStore::kVersionMajor,
                      DSYSDorerClientStore::kVersionMinor, kImplementationVersion,
                      std::bind(&ServiceBinding::carryOut, this, &ServiceBinding::onStoreRequest, _1, _2)});
    service_.provide({DSYSDorerAdmin::kInterfaceName, DSYSDorerAdmin::kVersionMajor, DSYSDorerAdmin::kVersionMinor,
                      kImplementationVersion,
                      std::bind(&ServiceBinding::carryOut, this, &ServiceBinding::onAdminRequest, _1, _2)});
    pageService_.provide({DSYSDorerClientGet::kInterfaceName, DSYSDorerClientGet::kVersionMajor,
                          DSYSDorerClientGet::kVersionMinor, kImplementationVersion, FQFPIQRequestHandler()});
    publishAll();
    return pageService_.start() && service_.start();
}

void ServiceBinding::publishAll() {
    DSYSOnOff::SResponsePayload manifest;
    manifest.mManifestMajorVersion = DSYSOnOff::kVersionMajor;
    manifest.mManifestMinorVersion = DSYSOnOff::kVersionMinor;
    for (uint32_t id : {DSYSOnOff::UPD_ID_manifestMajorVersion, DSYSOnOff::UPD_ID_manifestMinorVersion}) {
        manifest.mUpdateId = id;
        service_.publish(DSYSOnOff::kInterfaceName, id,
                         [&](IQFOStream& out) { DSYSOnOff::writeResponsePayload(out, manifest); });
    }
    publishOperatingState(server_->operatingState());
    publishChangeId(server_->changeId());
    publishStoredChangeId(server_->storedChangeId());
}

bool ServiceBinding::dropConnections() {
    service_.stop();
    return service_.start();
}

void ServiceBinding::stop() {
    service_.stop();
    pageService_.stop();
}

void ServiceBinding::publishOperatingState(const std::string& state) {
    DSYSOnOff::SResponsePayload value;
    value.mUpdateId = DSYSOnOff::UPD_ID_currentOperatingState;
    value.mCurrentOperatingState = CQFString(state.c_str());
    service_.publish(DSYSOnOff::kInterfaceName, value.mUpdateId,
                     [&](IQFOStream& out) { DSYSOnOff::writeResponsePayload(out, value); });
}

void ServiceBinding::publishChangeId(int32_t changeId) {
    DSYSDorerClientGet::SResponsePayload value;
    value.mUpdateId = DSYSDorerClientGet::UPD_ID_changeId;
    value.mChangeId = changeId;
    pageService_.publish(DSYSDorerClientGet::kInterfaceName, value.mUpdateId,
                         [&](IQFOStream& out) { DSYSDorerClientGet::writeResponsePayload(out, value); });
}

void ServiceBinding::publishStoredChangeId(int32_t changeId) {
    DSYSDorerClientStore::SResponsePayload value;
    value.mUpdateId = DSYSDorerClientStore::UPD_ID_storedChangeId;
    value.mStoredChangeId = changeId;
    service_.publish(DSYSDorerClientStore::kInterfaceName, value.mUpdateId,
                     [&](IQFOStream& out) { DSYSDorerClientStore::writeResponsePayload(out, value); });
}

void ServiceBinding::countRequest() {
    if (options_.dropAfterRequests != 0 && ++requests_ == options_.dropAfterRequests) onDropDue_();
}

void ServiceBinding::answer(const SQFPIQRequest& request, Request kind, uint32_t updateId,
                            const FQFPIQPayloadWriter& writer) {
    if (options_.answers(kind)) {
        if (options_.answerDelayMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.answerDelayMs));
        service_.respond(request, updateId, QFServices::eResultType_Ok, writer);
    } else {
        withheld_ = requestName(kind);
    }
    countRequest();
}

void ServiceBinding::carryOut(RequestHandler handler, const SQFPIQRequest& request, IQFIStream& payload) {
    withheld_ = nullptr;
    (this->*handler)(request, payload);
    if (withheld_ != nullptr) {
        std::fprintf(stderr, "sysetsrvora: %s carried out, not answered (--no-answer)\n", withheld_);
    }
}

// A request this server cannot read or does not know: the client learns that it failed.
void ServiceBinding::answerFailed(const SQFPIQRequest& request) {
    service_.respond(request, request.mRequestId, QFServices::eResultType_RequestFailed);
    countRequest();
}

void ServiceBinding::onOnOffRequest(const SQFPIQRequest& request, IQFIStream& payload) {
    DSYSOnOff::SRequestPayload params;
    params.mRequestId = static_cast<int32_t>(request.mRequestId);
    DSYSOnOff::readRequestPayload(payload, params);
    if (request.mRequestId != DSYSOnOff::UPD_ID_requestTriggerNewState || !payload.isGood()) {
        answerFailed(request);
        return;
    }
    server_->triggerState(params.mNewState.getCString(), [&](bool ok) {
        DSYSOnOff::SResponsePayload response;
        response.mUpdateId = DSYSOnOff::UPD_ID_responseTriggerNewState;
        response.mTriggerOk = ok;
        answer(request, Request::kTrigger, response.mUpdateId,
               [&](IQFOStream& out) { DSYSOnOff::writeResponsePayload(out, response); });
    });
}

void ServiceBinding::onStoreRequest(const SQFPIQRequest& request, IQFIStream& payload) {
    DSYSDorerClientStore::SRequestPayload params;
    params.mRequestId = static_cast<int32_t>(request.mRequestId);
    DSYSDorerClientStore::readRequestPayload(payload, params);
    if (request.mRequestId != DSYSDorerClientStore::UPD_ID_requestStore) {
        answerFailed(request);
        return;
    }
    if (!payload.isGood()) {
        server_->recordUnreadableStore();
        answerFailed(request);
        return;
    }
    auto answerStore = [&](int32_t changeId) {
        DSYSDorerClientStore::SResponsePayload response;
        response.mUpdateId = DSYSDorerClientStore::UPD_ID_responseStore;
        response.mChangeId = changeId;
        answer(request, Request::kStore, response.mUpdateId,
               [&](IQFOStream& out) { DSYSDorerClientStore::writeResponsePayload(out, response); });
    };
    if (options_.faults.refuseStore) {
        server_->recordRefusedStore(params.mChanges, params.mVersions);
        answerStore(-1);
        return;
    }
    server_->store(params.mChanges, params.mVersions, answerStore);
}

void ServiceBinding::onAdminRequest(const SQFPIQRequest& request, IQFIStream&) {
    DSYSDorerAdmin::SResponsePayload response;
    Request kind;
    switch (request.mRequestId) {
        case DSYSDorerAdmin::UPD_ID_requestStorageInfo:
            kind = Request::kStorageInfo;
            response.mUpdateId = DSYSDorerAdmin::UPD_ID_responseStorageInfo;
            response.mInfo = server_->storageInfo();
            break;
        case DSYSDorerAdmin::UPD_ID_requestReload:
            kind = Request::kReload;
            response.mUpdateId = DSYSDorerAdmin::UPD_ID_responseReload;
            if (options_.faults.failReload) {
                server_->recordRefusedReload();
            } else {
                response.mSuccess = server_->reload();
            }
            break;
        case DSYSDorerAdmin::UPD_ID_requestActionLog:
            kind = Request::kActionLog;
            response.mUpdateId = DSYSDorerAdmin::UPD_ID_responseActionLog;
            response.mLog = server_->actionLog();
            break;
        case DSYSDorerAdmin::UPD_ID_requestVersionInfo:
            kind = Request::kVersionInfo;
            response.mUpdateId = DSYSDorerAdmin::UPD_ID_responseVersionInfo;
            response.mCompiledVersion = kCompiledVersions;
            response.mStoredVersions = server_->storedVersions();
            break;
        default: answerFailed(request); return;
    }
    answer(request, kind, response.mUpdateId,
           [&](IQFOStream& out) { DSYSDorerAdmin::writeResponsePayload(out, response); });
}

}  // namespace hu::sysetsrv
