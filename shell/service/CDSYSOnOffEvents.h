// The events of DSYSOnOff: request, response and notification events and the consumer base.
#pragma once

#include "DSYSOnOff.h"
#include "TDorerServiceEvents.h"

DORER_SERVICE_EVENTS(DSYSOnOff)
