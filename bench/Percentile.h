#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zv::bench {

// The value below which share (0 to 1) of the values lie; 0 for none.
inline double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[index];
}

} // namespace zv::bench
