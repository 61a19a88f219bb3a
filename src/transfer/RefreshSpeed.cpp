#include "transfer/RefreshSpeed.h"

namespace zv {

std::uint32_t RefreshSpeed::readsBetweenReports(int itemIndex)
{
    switch (itemIndex) {
    case 0: return 5000;
    case 2: return 500;
    default: return 1000;
    }
}

} // namespace zv
