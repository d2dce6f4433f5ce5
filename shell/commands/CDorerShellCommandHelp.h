// "?" and the start-up banner: the banner line, or the usage text and the command listing.
#pragma once

#include "CDorerShellCommand.h"

class CDorerShellCommandHelp : public CDorerShellCommand {
public:
    enum EMode { eBanner, eListing };
    explicit CDorerShellCommandHelp(EMode mode) : mMode(mode) {}
    void start() override;

private:
    EMode mMode;
};
