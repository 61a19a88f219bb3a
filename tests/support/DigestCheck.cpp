#include "support/DigestCheck.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <map>

namespace zv::test {

namespace {

std::string md5Hex(const std::string& text)
{
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        std::array<char, 3> pair{};
        std::snprintf(pair.data(), pair.size(), "%02x", digest[i]);
        hex += pair.data();
    }
    return hex;
}

// The name="value" (or name=value) pairs after "Digest ".
std::map<std::string, std::string> fields(const std::string& authorization)
{
    std::map<std::string, std::string> found;
    std::size_t at = authorization.find(' ');
    while (at != std::string::npos && at < authorization.size()) {
        const std::size_t nameStart = authorization.find_first_not_of(" ,", at);
        const std::size_t equals = authorization.find('=', nameStart);
        if (nameStart == std::string::npos || equals == std::string::npos)
            break;
        const std::string name = authorization.substr(nameStart, equals - nameStart);
        const bool quoted = equals + 1 < authorization.size() && authorization[equals + 1] == '"';
        const std::size_t valueStart = equals + (quoted ? 2 : 1);
        const std::size_t valueEnd = authorization.find(quoted ? "\"" : ",", valueStart);
        found[name] = authorization.substr(valueStart, valueEnd - valueStart);
        at = valueEnd == std::string::npos ? valueEnd : valueEnd + 1;
    }
    return found;
}

} // namespace

std::string DigestCheck::challenge()
{
    return std::string("Digest realm=\"") + Realm + "\", nonce=\"" + Nonce + "\", qop=\"auth\", algorithm=MD5";
}

bool DigestCheck::accepts(const std::string& authorization, const std::string& method, const std::string& user,
                          const std::string& password)
{
    if (authorization.rfind("Digest ", 0) != 0)
        return false;
    auto given = fields(authorization);
    if (given["username"] != user || given["realm"] != Realm || given["nonce"] != Nonce)
        return false;
    const std::string ha1 = md5Hex(user + ":" + Realm + ":" + password);
    const std::string ha2 = md5Hex(method + ":" + given["uri"]);
    const std::string expected = md5Hex(ha1 + ":" + Nonce + ":" + given["nc"] + ":" + given["cnonce"] + ":"
                                        + given["qop"] + ":" + ha2);
    return given["response"] == expected;
}

} // namespace zv::test
