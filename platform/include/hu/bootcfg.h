// The boot configuration string of the target (confstr name 514): from HU_BOOTCFG when set,
// else from the file "$HU_ROOT/etc/bootcfg", else empty.
#pragma once

#include <cstddef>

#define _UCS_BOOTCFG 514

// confstr(3) rules: the size the whole value needs including its NUL (0: no value); at most
// len - 1 bytes and a NUL are copied to buf.
size_t hu_confstr(int name, char* buf, size_t len);
