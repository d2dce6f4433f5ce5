// The process's tables: components with their threads, and the thread parameter records.
#pragma once

#include <vector>

#include "qf/CQFComponent.h"
#include "qf/CQFThread.h"

// Built once on first use; published as the component map before anything else runs.
const std::vector<const CQFComponentInfo*>& cfgshellComponentTable();

// The parameter record of a thread, resolved through the current component's thread index;
// null (after an assertion) for a missing name or an index outside 0..7.
const CQFThreadParam* getThreadParam(const char* threadName);
