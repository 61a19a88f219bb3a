#include "transfer/ServerBudget.h"

#include <algorithm>
#include <cctype>

namespace zv {

void ServerBudget::setPerServer(int perServer)
{
    const std::lock_guard lock(m_mutex);
    m_perServer = perServer;
}

std::unique_ptr<ServerBudget::Lease> ServerBudget::take(const std::string& host)
{
    const std::lock_guard lock(m_mutex);
    Server& server = m_servers[host];
    if (server.held >= allowanceOf(server))
        return nullptr;
    ++server.held;
    return std::make_unique<Lease>(*this, host);
}

void ServerBudget::busy(const std::string& host)
{
    const std::lock_guard lock(m_mutex);
    Server& server = m_servers[host];
    server.stepped = std::max(1, allowanceOf(server) / 2);
}

std::string ServerBudget::serverOf(std::string_view url)
{
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const std::size_t user = url.rfind('@'); user != std::string_view::npos)
        url.remove_prefix(user + 1);
    std::string server(url);
    std::transform(server.begin(), server.end(), server.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return server;
}

int ServerBudget::allowance(const std::string& host) const
{
    const std::lock_guard lock(m_mutex);
    const auto server = m_servers.find(host);
    return server == m_servers.end() ? std::max(1, m_perServer) : allowanceOf(server->second);
}

void ServerBudget::release(const std::string& host)
{
    const std::lock_guard lock(m_mutex);
    --m_servers[host].held;
}

int ServerBudget::allowanceOf(const Server& server) const
{
    const int budget = std::max(1, m_perServer);
    return server.stepped > 0 ? std::min(server.stepped, budget) : budget;
}

} // namespace zv
