// The listeners of the settings client wrappers.
#pragma once

#include <cstdint>

// Hears the change id of the shared settings page (CzoqDorerClientGet).
class IzoqDorerClientGetListener {
public:
    virtual ~IzoqDorerClientGetListener() = default;
    virtual void onChangeId(int32_t changeId) = 0;
};

// Hears the store client (CzoqDorerClientStore): the change id of the last change written to
// storage, and the answer to one store request (its cookie; change id -1: refused).
class IzoqDorerClientStoreListener {
public:
    virtual ~IzoqDorerClientStoreListener() = default;
    virtual void onLastStoredChangeId(int32_t storedChangeId) = 0;
    virtual void responseStoredChange(int32_t cookie, int32_t changeId) = 0;
};
