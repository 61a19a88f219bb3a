#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace zv {

// How many connections all downloads together may hold to one server: the preference's
// budget, stepped down (8, 4, 2, 1) for the rest of the program's run when the server answers
// a connection with 429 or 503. A connection holds a lease; ending the lease frees its place.
// It must outlive its leases (the session owns it; workers end first). Any thread.
class ServerBudget {
public:
    // A place held on a server, free again when the lease ends.
    class Lease {
    public:
        Lease(ServerBudget& budget, std::string host) : m_budget(budget), m_host(std::move(host)) {}
        ~Lease() { m_budget.release(m_host); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

    private:
        ServerBudget& m_budget;
        std::string m_host;
    };

    explicit ServerBudget(int perServer) : m_perServer(perServer) {}

    // Takes effect for places asked from now on; a lowered budget ends no connection.
    void setPerServer(int perServer);
    // A place on host when one is free under its budget; null otherwise.
    std::unique_ptr<Lease> take(const std::string& host);
    // The server said it is busy: its budget halves, to one at the least.
    void busy(const std::string& host);
    // How many connections host may hold now.
    int allowance(const std::string& host) const;

    // The server a URL names, as the budget counts it: its host and port, lower case, without
    // user or password.
    static std::string serverOf(std::string_view url);

private:
    struct Server {
        int held = 0;
        int stepped = 0; // 0: not stepped down; else the budget it was stepped down to
    };
    void release(const std::string& host);
    int allowanceOf(const Server& server) const;

    mutable std::mutex m_mutex;
    int m_perServer;
    std::map<std::string, Server> m_servers;
};

} // namespace zv
