#pragma once

namespace zv {

// Whether the computer is connected to a network.
class OnlineQuery {
public:
    virtual ~OnlineQuery() = default;
    virtual bool isOnline() const = 0;
};

} // namespace zv
