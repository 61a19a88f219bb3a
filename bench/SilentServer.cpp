#include "SilentServer.h"

#include <cerrno>
#include <cstdint>
#include <exception>
#include <system_error>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zv::bench {

namespace {

[[noreturn]] void fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

SilentServer::SilentServer()
    : m_listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    , m_stop(::eventfd(0, EFD_CLOEXEC))
{
    if (!m_listener.isOpen() || !m_stop.isOpen())
        fail("silent server: socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener.get(), SOMAXCONN) != 0 ||
        ::getsockname(m_listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        fail("silent server: listen");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

SilentServer::~SilentServer()
{
    const std::uint64_t one = 1;
    if (::write(m_stop.get(), &one, sizeof one) != sizeof one)
        std::terminate(); // the thread would never end
    m_thread.join();
}

void SilentServer::run()
{
    pollfd watched[2] = {{m_listener.get(), POLLIN, 0}, {m_stop.get(), POLLIN, 0}};
    while (true) {
        if (::poll(watched, 2, -1) < 0 && errno != EINTR)
            return;
        if (watched[1].revents != 0)
            return;
        if (watched[0].revents == 0)
            continue;
        FileDescriptor connection(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.isOpen())
            continue;
        m_connections.push_back(std::move(connection));
        ++m_accepted;
    }
}

} // namespace zv::bench
