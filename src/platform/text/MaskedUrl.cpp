#include "platform/text/MaskedUrl.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zv {

namespace {

constexpr std::string_view Mask = "***";

std::string lowered(std::string_view text)
{
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool isAllDigits(std::string_view text)
{
    return !text.empty() && std::ranges::all_of(text, [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The password's first byte and its end (the "@" after it), or npos when there is none.
std::pair<std::size_t, std::size_t> passwordSpan(std::string_view url, std::size_t start)
{
    constexpr auto none = std::pair{std::string_view::npos, std::string_view::npos};
    const std::size_t colon = url.find(':', start);
    if (colon == std::string_view::npos || colon > url.find_first_of("/?#@", start))
        return none; // no ":" in the user name's place
    const std::size_t authorityEnd = std::min(url.find_first_of("/?#", colon), url.size());
    std::size_t at = url.rfind('@', authorityEnd - 1);
    if (at == std::string_view::npos || at < colon) {
        // Either a port ("host:8080/a@b") or a password holding a raw "/", "?" or "#".
        if (isAllDigits(url.substr(colon + 1, authorityEnd - colon - 1)))
            return none;
        at = url.find('@', colon);
        if (at == std::string_view::npos)
            return none;
    }
    return {colon + 1, at};
}

bool carriesSecret(std::string_view name)
{
    static constexpr std::array<std::string_view, 4> exact{"sig", "signature", "x-amz-signature", "x-goog-signature"};
    const std::string lower = lowered(name);
    return std::ranges::find(exact, lower) != exact.end() || lower.ends_with("token") || lower.ends_with("key");
}

// The query from its "?" to the fragment, with the values of secret-carrying names masked.
std::string maskedQuery(std::string_view query)
{
    std::string masked;
    std::size_t begin = 0;
    while (begin <= query.size()) {
        const std::size_t end = std::min(query.find('&', begin), query.size());
        const std::string_view parameter = query.substr(begin, end - begin);
        const std::size_t equals = parameter.find('=');
        if (equals != std::string_view::npos && carriesSecret(parameter.substr(0, equals)))
            masked += std::string(parameter.substr(0, equals + 1)) + std::string(Mask);
        else
            masked += parameter;
        if (end < query.size())
            masked += '&';
        begin = end + 1;
    }
    return masked;
}

} // namespace

std::string maskedUrl(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    std::string masked;
    std::size_t rest = 0;
    if (const auto [from, to] = passwordSpan(url, start); from != std::string_view::npos) {
        masked = std::string(url.substr(0, from)) + std::string(Mask);
        rest = to;
    }
    const std::size_t question = url.find('?', rest);
    if (question == std::string_view::npos)
        return masked + std::string(url.substr(rest));
    const std::size_t fragment = std::min(url.find('#', question), url.size());
    return masked + std::string(url.substr(rest, question + 1 - rest))
         + maskedQuery(url.substr(question + 1, fragment - question - 1)) + std::string(url.substr(fragment));
}

} // namespace zv
