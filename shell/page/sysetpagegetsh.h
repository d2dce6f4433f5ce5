// The reader side of the shared settings page: one attachment per process to the page (mapped
// read-only) and its access object, a private copy of the page refreshed whenever the writer's
// change counter has moved, and item reads from that copy. Result codes as in DorerPageGetLib.h.
#pragma once

#include <cstdint>

#include "sysetpagelayout.h"

// Attaches and takes the first copy; while attached it only refreshes.
int DorerPageGetSh_attach(const char* pagePath, const char* lockPath);
// Refreshes the copy when the writer has changed the page since the last copy.
int DorerPageGetSh_update();
// Copies one item out of the page copy.
int DorerPageGetSh_getMappedCbBuffer(uint32_t id, uint16_t expectedVersion, uint8_t* buffer, uint32_t bufferSize,
                                     uint32_t* length);
