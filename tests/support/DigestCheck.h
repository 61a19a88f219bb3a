#pragma once

#include <string>

namespace zv::test {

// The server's side of HTTP Digest authentication (MD5, qop "auth"), for a test server.
namespace DigestCheck {
inline constexpr const char* Realm = "zv-test";
inline constexpr const char* Nonce = "5f1a6c0e";

// The WWW-Authenticate value a 401 asks with.
std::string challenge();
// Whether an Authorization value answers the challenge for user and password.
bool accepts(const std::string& authorization, const std::string& method, const std::string& user,
             const std::string& password);
} // namespace DigestCheck

} // namespace zv::test
