#include "CDSYSOnOffProxy.h"

int32_t CDSYSOnOffProxy::requestTriggerNewState(IQFEventConsumerBase* consumer, const CQFString& newState) {
    return sendRequest(DSYSOnOff::UPD_ID_requestTriggerNewState, consumer,
                       [&](DSYSOnOff::SRequestPayload& payload) { payload.mNewState = newState; });
}

bool CDSYSOnOffProxy::getTriggerOk() const {
    return getParameter(DSYSOnOff::UPD_ID_responseTriggerNewState, &Payload::mTriggerOk, "TriggerOk_NoResponse",
                        "TriggerOk");
}

void CDSYSOnOffProxy::cacheAttribute(const Payload& payload) {
    switch (payload.mUpdateId) {
        case DSYSOnOff::UPD_ID_manifestMajorVersion: mManifestMajorVersion = payload.mManifestMajorVersion; break;
        case DSYSOnOff::UPD_ID_currentOperatingState: mCurrentOperatingState = payload.mCurrentOperatingState; break;
        case DSYSOnOff::UPD_ID_manifestMinorVersion: mManifestMinorVersion = payload.mManifestMinorVersion; break;
        default: break;
    }
}
