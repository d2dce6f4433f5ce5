// The four service imports of cfgshell, with their events' factories and serializers, in
// import-index order.
#pragma once

#include <vector>

#include "qf/QFApplication.h"

std::vector<SQFPIQImportEntry> dorerServiceImports();
