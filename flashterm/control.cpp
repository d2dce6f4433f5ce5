#include "control.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "flashterm/term_msg.h"
#include "screen_content.h"
#include "terminal_state.h"

namespace {

// Payload bytes of a devctl that really arrived: the size the client gave, never more than
// the receive buffer holds.
size_t payload_size(const resmgr_context_t* ctp, const io_devctl_t* msg) {
    size_t received = ctp->info.msglen > static_cast<int>(sizeof msg->i)
                          ? static_cast<size_t>(ctp->info.msglen) - sizeof msg->i
                          : 0;
    return std::min(static_cast<size_t>(std::max(msg->i.nbytes, 0)), received);
}

// The NUL-terminated string at offset inside bytes[0, size), or null when it does not end there.
const char* string_at(const char* bytes, size_t size, int32_t offset) {
    if (offset < 0 || static_cast<size_t>(offset) >= size) return nullptr;
    return memchr(bytes + offset, '\0', size - static_cast<size_t>(offset)) != nullptr ? bytes + offset : nullptr;
}

struct BarMessage {
    const char* ref;
    const char* name;  // null unless asked for
    int32_t progress;
};

// EOK, or EINVAL when the record or its strings do not end inside the payload.
int read_bar_message(const char* payload, size_t size, bool with_name, BarMessage* bar) {
    if (size < sizeof(term_bar_msg_t)) return EINVAL;
    term_bar_msg_t head;
    memcpy(&head, payload, sizeof head);
    const char* strings = payload + sizeof head;
    size_t strings_size = size - sizeof head;
    bar->ref = string_at(strings, strings_size, head.ref_offset);
    bar->name = with_name ? string_at(strings, strings_size, head.name_offset) : nullptr;
    bar->progress = head.progress;
    return bar->ref == nullptr || (with_name && bar->name == nullptr) ? EINVAL : EOK;
}

int set_status(const char* payload, size_t size) {
    const char* text = string_at(payload, size, 0);
    if (text == nullptr) return EINVAL;
    g_state.status_text = text;
    return EOK;
}

int set_clock(const char* payload, size_t size) {
    int32_t running;
    if (size < sizeof running) return EINVAL;
    memcpy(&running, payload, sizeof running);
    g_state.clock_running = running;
    return EOK;
}

int add_bar(const char* payload, size_t size) {
    BarMessage bar;
    int status = read_bar_message(payload, size, true, &bar);
    if (status != EOK) return status;
    if (find_bar(bar.ref) == nullptr) {
        append_bar(bar.ref, bar.name, bar.progress);
        discard_hidden_items(visible_rows());
    }
    return EOK;
}

int set_progress(const char* payload, size_t size) {
    BarMessage bar;
    int status = read_bar_message(payload, size, false, &bar);
    if (status != EOK) return status;
    if (ScreenItem* item = find_bar(bar.ref)) item->progress = bar.progress;
    return EOK;
}

}  // namespace

int control_apply(int dcmd, const char* payload, size_t size) {
    switch (dcmd) {
        case DCMD_TERM_SET_STATUS: return set_status(payload, size);
        case DCMD_TERM_SET_CLOCK: return set_clock(payload, size);
        case DCMD_TERM_ADD_BAR: return add_bar(payload, size);
        case DCMD_TERM_SET_PROGRESS: return set_progress(payload, size);
        default: return ENOSYS;
    }
}

void add_written_text(char* text, size_t received) {
    text[received] = '\0';  // the text ends at its first NUL or after the bytes sent
    add_text(text);
    discard_hidden_items(visible_rows());
}

int io_write(resmgr_context_t* ctp, io_write_t* msg, RESMGR_OCB_T* ocb) {
    int status = iofunc_write_verify(ctp, msg, ocb, nullptr);
    if (status != EOK) return status;
    if ((msg->i.xtype & _IO_XTYPE_MASK) != _IO_XTYPE_NONE) return ENOSYS;
    size_t nbytes = msg->i.nbytes;
    _IO_SET_WRITE_NBYTES(ctp, nbytes);

    auto* text = static_cast<char*>(malloc(nbytes + 1));
    if (text == nullptr) return ENOMEM;
    ssize_t got = resmgr_msgread(ctp, text, nbytes, sizeof msg->i);
    add_written_text(text, got > 0 ? static_cast<size_t>(got) : 0);
    free(text);
    if (nbytes > 0) ocb->attr->flags |= IOFUNC_ATTR_MTIME | IOFUNC_ATTR_CTIME;
    return EOK;
}

int io_devctl(resmgr_context_t* ctp, io_devctl_t* msg, RESMGR_OCB_T* ocb) {
    int status = iofunc_devctl_default(ctp, msg, ocb);
    if (status != _RESMGR_DEFAULT) return status;
    status = control_apply(msg->i.dcmd, static_cast<const char*>(_DEVCTL_DATA(msg->i)), payload_size(ctp, msg));
    if (status != EOK) return status;
    memset(&msg->o, 0, sizeof msg->o);
    return _RESMGR_PTR(ctp, &msg->o, sizeof msg->o);
}
