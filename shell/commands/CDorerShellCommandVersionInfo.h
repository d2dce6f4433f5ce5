// versioninfo: the data versions compiled into the settings server and those stored on the unit.
#pragma once

#include "CDorerShellAdminRequestCommand.h"

class CDorerShellCommandVersionInfo : public CDorerShellAdminRequestCommand {
public:
    CDorerShellCommandVersionInfo();

private:
    CQFString answerText() const override;
};
