// The events of DSYSDorerClientGet: request, response and notification events and the consumer base.
#pragma once

#include "DSYSDorerClientGet.h"
#include "TDorerServiceEvents.h"

DORER_SERVICE_EVENTS(DSYSDorerClientGet)
