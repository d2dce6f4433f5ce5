// reload: has the settings server reload its stored settings and prints the outcome.
#pragma once

#include "CDorerShellAdminRequestCommand.h"

class CDorerShellCommandReload : public CDorerShellAdminRequestCommand {
public:
    CDorerShellCommandReload();

private:
    CQFString answerText() const override;
};
