// Any unrecognised keyword: "SYNTAX ERROR", recorded as "ERRCLN_BADCOMMAND".
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandUnknown : public CDorerShellCommand {
public:
    void start() override;
};
