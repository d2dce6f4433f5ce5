// out: redirects normal output into a file, switches to another file, or (with an invalid
// path such as the empty one) closes the file so output goes to standard output again.
#pragma once

#include "CDorerShellCommand.h"
#include "qf/CQFFileHandle.h"
#include "qf/CQFPath.h"

class CDorerShellCommandOut : public CDorerShellCommand {
public:
    CDorerShellCommandOut(const CQFPath& currentPath, const CQFPath& newPath, CQFFileHandle& outFile)
        : mCurrentPath(currentPath), mNewPath(newPath), mOutFile(outFile) {}
    void start() override;

private:
    bool openOut();
    bool closeOut();

    CQFPath mCurrentPath;
    CQFPath mNewPath;
    CQFFileHandle& mOutFile;
};
