// What the dispatch layer keeps behind the target's opaque handles.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hu/resmgr.h"

namespace hu::dispatch {

struct Attachment {
    int id = 0;
    std::string host_path;
    int listen_fd = -1;
    resmgr_attr_t attr{};
    const resmgr_connect_funcs_t* connect = nullptr;
    const resmgr_io_funcs_t* io = nullptr;
    iofunc_attr_t* handle = nullptr;
};

struct Connection {
    int rcvid = 0;
    int fd = -1;
    Attachment* attachment = nullptr;
    iofunc_ocb_t* ocb = nullptr;
};

enum class Received { Nothing, Pulse, Message, Disconnect };

// Behind resmgr_context_t::internal.
struct ContextState {
    Received what = Received::Nothing;
    Connection* connection = nullptr;
    std::vector<char> whole_message;  // everything the client sent, for resmgr_msgread
    std::vector<char> receive_buffer;  // what handlers see in place: msg_max_size bytes of the
                                       // message, then room for the framework's own replies
    size_t receive_limit = 0;          // msg_max_size
    int pulse_code = 0;
    int pulse_value = 0;
};

// The connection a context's current message came from, or null.
Connection* connectionOf(resmgr_context_t* ctp);

}  // namespace hu::dispatch
