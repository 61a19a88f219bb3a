#pragma once

#include <string>

// OpenSSL's types, declared without its headers.
struct x509_st;
struct evp_pkey_st;

namespace zv::test {

// A self-signed certificate for 127.0.0.1 and localhost, made once per test process.
class TestCertificate {
public:
    static const TestCertificate& instance();

    x509_st* certificate() const { return m_certificate; }
    evp_pkey_st* key() const { return m_key; }
    // A PEM file holding the certificate: the bundle that makes clients trust it.
    const std::string& bundlePath() const { return m_bundlePath; }

private:
    TestCertificate();
    ~TestCertificate();

    x509_st* m_certificate = nullptr;
    evp_pkey_st* m_key = nullptr;
    std::string m_bundlePath;
};

} // namespace zv::test
