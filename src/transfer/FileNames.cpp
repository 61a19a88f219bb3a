#include "transfer/FileNames.h"

namespace zv {

std::string FileNames::nameFromUrl(const std::string& url)
{
    const auto slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

std::string FileNames::destinationName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Fallback;
    return name;
}

} // namespace zv
