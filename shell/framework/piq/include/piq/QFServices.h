// Values of the service middleware that every interface shares: result types of the event
// header, data states of cached values, and the update ids the framework reserves.
#pragma once

#include <cstdint>

#include "qf/CQFComponent.h"

// The address of a service as the importing process knows it (its registry entry).
using SQFServiceAddress = SQFComponentAddress;

namespace QFServices {

// The result type of an event header.
enum ResultType : uint32_t {
    eResultType_Ok = 512,                  // a response, or an attribute value sent on request
    eResultType_Invalid = 513,             // the value is invalid; no payload
    eResultType_Valid = 514,               // an attribute notification with its value
    eResultType_NotificationInvalid = 515, // the attribute has no value (yet); no payload
    eResultType_RequestFailed = 516,       // the request failed: the id is the request's index; no payload
    eResultType_RequestError = 517,        // the request failed with a payload; the id as for 516
};

enum DataStateType : uint32_t {
    eDataState_Invalid = 1,
    eDataState_Valid = 2,
};

// Whether a response of this result type carries a payload after the header.
inline bool hasPayload(uint32_t updateId, uint32_t resultType);

}  // namespace QFServices

// Update ids: requests count from 0, responses from 0x80000000, attributes from 0xC0000000.
constexpr uint32_t kQFFirstResponseId = 0x80000000u;
constexpr uint32_t kQFFirstAttributeId = 0xC0000000u;
// The service's implementation version, sent by the server when an import is accepted.
constexpr uint32_t kQFUpdateIdImplementationVersion = 0xFFFFFFFEu;
// The generic request that ends every notification of the import. A request whose id is an
// attribute id (from 0xC0000000 up to below this one) asks for notifications of that attribute.
constexpr uint32_t kQFRequestIdClearAllNotifications = 0xFFFFFFFDu;
// The request id of a request event that has not been filled.
constexpr int32_t kQFNoRequest = -1;

inline bool isAttributeId(uint32_t id) { return id >= kQFFirstAttributeId && id < kQFRequestIdClearAllNotifications; }

inline bool QFServices::hasPayload(uint32_t updateId, uint32_t resultType) {
    return updateId != kQFUpdateIdImplementationVersion && resultType != eResultType_Invalid &&
           resultType != eResultType_NotificationInvalid && resultType != eResultType_RequestFailed;
}

// The static description of an interface, handed to its proxies: counts, a flag passed on
// to proxy creation, and for request n the update id of its response.
struct SQFInterfaceDescription {
    uint32_t mRequestCount;
    uint32_t mResponseCount;
    uint32_t mAttributeCount;
    uint32_t mReserved;
    uint8_t mFlag;
    const uint32_t* mResponseIds;  // mRequestCount entries; null without requests
};
