// The events of DSYSDorerClientStore: request, response and notification events and the consumer base.
#pragma once

#include "DSYSDorerClientStore.h"
#include "TDorerServiceEvents.h"

DORER_SERVICE_EVENTS(DSYSDorerClientStore)
