#include "DorerShellCommandTable.h"

#include "CDorerShellCommandCheck.h"
#include "CDorerShellCommandGetAdj.h"
#include "CDorerShellCommandGetAdjList.h"
#include "CDorerShellCommandGetCb.h"
#include "CDorerShellCommandGetCbList.h"
#include "CDorerShellCommandGetKey.h"
#include "CDorerShellCommandGetKeyList.h"
#include "CDorerShellCommandGetLastStoredChangeId.h"
#include "CDorerShellCommandGetState.h"
#include "CDorerShellCommandLastResult.h"
#include "CDorerShellCommandReload.h"
#include "CDorerShellCommandSetAdj.h"
#include "CDorerShellCommandSetCb.h"
#include "CDorerShellCommandSetKey.h"
#include "CDorerShellCommandShell.h"
#include "CDorerShellCommandStorageInfo.h"
#include "CDorerShellCommandSysetsrv.h"
#include "CDorerShellCommandVersionInfo.h"
#include "CDorerShellMain.h"
#include "DorerShellParser.h"

namespace {

using Shell = CDorerShellMain;
using Line = SDorerShellParseResult;
constexpr bool kArguments = true;
constexpr bool kNoArguments = false;

// The commands whose queueing uses the interpreter's own state (setstate, store, exit,
// connect, out) or the table itself (?) go through its queue operations; the others are
// queued as they are.
const SDorerShellCommandInfo kCommands[] = {
    {0, "dumpk", "Dump custom key as 'setk' command with arguments, syntax: dumpk[ey] {<key_name>|<key_id>}.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetKey(l.mStrArg, l.mIntArg, true)); }},
    {3, "dumpc", "Dump CAF as 'setc' command with arguments, syntax: dumpc[af] {<key_name>|<key_id>}.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetCb(l.mStrArg, l.mIntArg, true)); }},
    {6, "dumpa", "Dump ADJ as 'seta' command with arguments, syntax: dumpa[dj] {<adjust_name>|<adjust_id>}.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetAdj(l.mStrArg, l.mIntArg, true)); }},
    {1, "getk", "Get custom key value, syntax: getk[ey] {<key_name>|<key_id>}.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetKey(l.mStrArg, l.mIntArg, false)); }},
    {4, "getc", "Get CAF-key value   , syntax: getc[af] {<key_name>|<key_id>}.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetCb(l.mStrArg, l.mIntArg, false)); }},
    {8, "geta", "Get adjust key value, syntax: geta[dj] {<key_name>|<key_id>}=<key_value>.",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetAdj(l.mStrArg, l.mIntArg, false)); }},
    {9, "keylist", "Get list of all keys, syntax: keylist [ wildcard ].",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetKeyList(l.mStrArg)); }},
    {10, "caflist", "Get list of all CAFs, syntax: caflist [<group_filter.func_filter>.<value_filter>].",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetCbList(l.mStrArg)); }},
    {20, "adjlist", "Get list of all adj , syntax: adjlist [ wildcard ].",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandGetAdjList(l.mStrArg)); }},
    {2, "setk", "Set custom key value, syntax: setk[ey] {<key_name>|<key_id>}=<key_value>",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandSetKey(l.mStrArg, l.mIntArg, l.mData)); }},
    {5, "setc", "Set CAF-key value   , syntax: setc[ey] {<key_name>|<key_id>}=<key_value>",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandSetCb(l.mStrArg, l.mIntArg, l.mData)); }},
    {7, "seta", "Set adjust key value, syntax: geta[dj] {<key_name>|<key_id>}",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandSetAdj(l.mStrArg, l.mIntArg, l.mData)); }},
    {13, "store", "Store cache to sysetsrv, syntax: store",
     kNoArguments, [](Shell& s, const Line&) { s.queueStore(); }},
    {21, "check", "Set expected result for checking and should be followed by any command with the result. Syntax check <name>=<value>",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandCheck(l.mStrArg, l.mData)); }},
    {22, "sysetsrv", "Manage sysetsrv process. Syntax: sysetsrv {start|stop|restart}=<arguments>",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandSysetsrv(l.mStrArg, l.mData)); }},
    {17, "connect", "Establishes PIQ connection to sysetsrv, syntax: connect",
     kNoArguments, [](Shell& s, const Line&) { s.queueConnect(); }},
    {11, "setstate", "Set operating state, syntax: setstate {state}",
     kArguments, [](Shell& s, const Line& l) { s.queueSetState(l.mStrArg); }},
    {12, "getstate", "Get current operating state, syntax: getstate",
     kNoArguments, [](Shell& s, const Line&) { s.queue(new CDorerShellCommandGetState()); }},
    {25, "reload", "Do server reload, syntax: reload",
     kNoArguments, [](Shell& s, const Line&) { s.queue(new CDorerShellCommandReload()); }},
    {26, "versioninfo", "Get current version info, syntax: versioninfo",
     kNoArguments, [](Shell& s, const Line&) { s.queue(new CDorerShellCommandVersionInfo()); }},
    {27, "storageinfo", "Get current storage info, syntax: storageinfo",
     kNoArguments, [](Shell& s, const Line&) { s.queue(new CDorerShellCommandStorageInfo()); }},
    {19, "out", "Redirection of the  output to file, syntax: out <file_path>",
     kArguments, [](Shell& s, const Line& l) { s.queueOut(l.mStrArg); }},
    {14, "sh", "Execute OS shell command, syntax: sh[ell] <command>, e.g. sh ls -l",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandShell(l.mStrArg, l.mData)); }},
    {23, "getlast", "Get last stored change id. Syntax: getlast[change]",
     kNoArguments, [](Shell& s, const Line&) { s.queue(new CDorerShellCommandGetLastStoredChangeId()); }},
    {24, "lastres", "Get last operations results, Syntax lastres[ult] [<prefix>]",
     kArguments, [](Shell& s, const Line& l) { s.queue(new CDorerShellCommandLastResult(l.mStrArg)); }},
    {18, "#", "Comment, syntax: #comment text goes here",
     kNoArguments, [](Shell&, const Line&) {}},
    {15, "?", "Print list of avaliable commands",
     kNoArguments, [](Shell& s, const Line&) { s.queueListing(); }},
    {16, "exit", "Finish session and exit from this shell",
     kNoArguments, [](Shell& s, const Line&) { s.queueExit(); }},
};

}  // namespace

namespace NDorerShellCommandTable {
const SDorerShellCommandInfo* begin() { return kCommands; }
const SDorerShellCommandInfo* end() { return kCommands + sizeof kCommands / sizeof kCommands[0]; }
}  // namespace NDorerShellCommandTable
