#include "support/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace zv::test {

namespace {

void addExtension(X509* certificate, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension)
        throw std::runtime_error("test certificate: bad extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

} // namespace

const TestCertificate& TestCertificate::instance()
{
    static const TestCertificate certificate;
    return certificate;
}

TestCertificate::TestCertificate()
{
    m_key = EVP_EC_gen("P-256");
    m_certificate = X509_new();
    if (!m_key || !m_certificate)
        throw std::runtime_error("test certificate: out of memory");
    X509_set_version(m_certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(m_certificate), static_cast<long>(::getpid()));
    X509_gmtime_adj(X509_getm_notBefore(m_certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(m_certificate), 24 * 3600);
    X509_set_pubkey(m_certificate, m_key);
    X509_NAME* name = X509_get_subject_name(m_certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(m_certificate, name);
    addExtension(m_certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(m_certificate, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    if (!X509_sign(m_certificate, m_key, EVP_sha256()))
        throw std::runtime_error("test certificate: signing failed");

    m_bundlePath = (std::filesystem::temp_directory_path() /
                    ("zv-test-ca-" + std::to_string(::getpid()) + ".pem")).string();
    FILE* file = std::fopen(m_bundlePath.c_str(), "w");
    if (!file || !PEM_write_X509(file, m_certificate))
        throw std::runtime_error("test certificate: cannot write " + m_bundlePath);
    std::fclose(file);
}

TestCertificate::~TestCertificate()
{
    std::remove(m_bundlePath.c_str());
    X509_free(m_certificate);
    EVP_PKEY_free(m_key);
}

} // namespace zv::test
