// One changed settings item: its id and its value bytes as they go to the settings service
// (for a coding bit field, the field value).
#pragma once

#include <cstdint>

#include "qf/CQFBuffer.h"

struct SDorerItemChange {
    uint32_t mItemId = 0;
    CQFBuffer mData;
    // Its fields in stream order, for the service's encoding both ways.
    template <class V, class Self>
    static void fields(V& v, Self& self) {
        v(self.mItemId);
        v(self.mData);
    }
};
