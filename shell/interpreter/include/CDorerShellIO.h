// The worker thread's side of the interpreter: the read job (one line from standard input)
// and the write job (one result), and the events they send back to the component thread.
#pragma once

#include <cstdio>

#include "CDorerShellResult.h"
#include "DorerShellParser.h"
#include "qf/CQFEvent.h"
#include "qf/CQFFileHandle.h"
#include "qf/CQFJobExecutor.h"

class CDorerShellReadEvent : public CQFInternalEvent {
public:
    QF_DECLARE_EVENT_CLASS(CDorerShellReadEvent)
    explicit CDorerShellReadEvent(const SDorerShellParseResult& result) : mResult(result) {}
    SDorerShellParseResult mResult;
};

class CDorerShellWriteEvent : public CQFInternalEvent {
public:
    QF_DECLARE_EVENT_CLASS(CDorerShellWriteEvent)
    explicit CDorerShellWriteEvent(bool success) : mSuccess(success ? 1 : 0) {}
    uint8_t mSuccess;
};

// Reads one line; sends CDorerShellReadEvent for a line that holds a command, otherwise
// sleeps 200 ms and asks to be run again.
class CDorerShellReadJob : public CQFJob {
public:
    bool work() override;
};

// Prints the result (ok) or the error line (not ok; always on standard output); a result
// goes into the output file while one is open. Sends CDorerShellWriteEvent.
class CDorerShellWriteJob : public CQFJob {
public:
    CDorerShellWriteJob(const CDorerShellResult& result, bool ok, CQFFileHandle& outFile)
        : mResult(result), mOk(ok), mOutFile(outFile) {}
    bool work() override;

private:
    CDorerShellResult mResult;
    bool mOk;
    CQFFileHandle& mOutFile;
};

// Reads one line from in the way the read job does (100-byte steps, newline dropped); false
// at the end of input with nothing read.
bool readDorerShellLine(FILE* in, CQFString& line);
