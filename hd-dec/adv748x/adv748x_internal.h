// Shared between the backend's operation sources.
#pragma once

#include "hddec_backend.h"

int adv748x_set_source(HdDecBackend* backend);
int adv748x_set_video_data_lanes(HdDecBackend* backend);
int adv748x_set_video_output_enable(HdDecBackend* backend);
int adv748x_set_rx_flag(HdDecBackend* backend);

inline HdDecDevice* adv748x_cur_device(HdDecBackend* backend) { return &backend->devices[backend->cur_dev]; }
