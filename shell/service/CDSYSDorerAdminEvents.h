// The events of DSYSDorerAdmin: request, response and notification events and the consumer base.
#pragma once

#include "DSYSDorerAdmin.h"
#include "TDorerServiceEvents.h"

DORER_SERVICE_EVENTS(DSYSDorerAdmin)
