// "?" and the start-up banner: the banner line, or the usage text and the command listing.
#pragma once

#include <utility>
#include <vector>

#include "CDorerShellCommand.h"

class CDorerShellCommandHelp : public CDorerShellCommand {
public:
    enum EMode { eBanner, eListing };
    // One line of the listing: a command's keyword and its help text.
    struct SEntry {
        const char* mKeyword;
        const char* mCaption;
    };
    // The listing shows the commands in the order given (the interpreter's command table).
    explicit CDorerShellCommandHelp(EMode mode, std::vector<SEntry> commands = {})
        : mMode(mode), mCommands(std::move(commands)) {}
    void start() override;

private:
    EMode mMode;
    std::vector<SEntry> mCommands;
};
