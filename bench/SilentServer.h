#pragma once

#include "platform/files/FileDescriptor.h"

#include <atomic>
#include <thread>
#include <vector>

namespace zv::bench {

// A server on 127.0.0.1 that accepts every connection and never reads or answers, so that
// each request to it waits for its client's time limit. Connections stay open until the
// server ends. Its thread runs from construction to destruction.
class SilentServer {
public:
    // Throws std::system_error when it cannot listen.
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const { return m_port; }
    int accepted() const { return m_accepted.load(); }

private:
    void run();

    FileDescriptor m_listener;
    FileDescriptor m_stop; // an eventfd: readable once the server is to end
    int m_port = 0;
    std::atomic<int> m_accepted{0};
    std::vector<FileDescriptor> m_connections; // the thread's own
    std::thread m_thread;
};

} // namespace zv::bench
