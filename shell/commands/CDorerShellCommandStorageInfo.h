// storageinfo: the condition of each storage partition of the settings server.
#pragma once

#include "CDorerShellAdminRequestCommand.h"

class CDorerShellCommandStorageInfo : public CDorerShellAdminRequestCommand {
public:
    CDorerShellCommandStorageInfo();

private:
    CQFString answerText() const override;
};
