// The floor of every request/reply benchmark: the same bytes each way over a bare
// SOCK_SEQPACKET socket pair with an echoing thread, no protocol around them.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <thread>
#include <vector>

inline void bareSocketRoundTrip(benchmark::State& state, size_t request_size, size_t reply_size) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0) {
        state.SkipWithError("socketpair");
        return;
    }
    std::thread server([fd = pair[1], reply_size] {
        std::vector<char> buffer(4096);
        while (recv(fd, buffer.data(), buffer.size(), 0) > 0) send(fd, buffer.data(), reply_size, 0);
    });
    std::vector<char> request(request_size), reply(4096);
    for (auto _ : state) {
        send(pair[0], request.data(), request.size(), 0);
        recv(pair[0], reply.data(), reply.size(), 0);
    }
    close(pair[0]);
    server.join();
    close(pair[1]);
    state.SetItemsProcessed(state.iterations());
}
