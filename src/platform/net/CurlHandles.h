#pragma once

#include <memory>

// Owning handles for libcurl objects, declared without libcurl's headers.
struct curl_slist;
struct Curl_URL;

namespace zv::curl {

struct EasyCleanup {
    void operator()(void* easy) const;
};
struct MultiCleanup {
    void operator()(void* multi) const;
};
struct HeaderListCleanup {
    void operator()(curl_slist* list) const;
};
struct UrlCleanup {
    void operator()(Curl_URL* url) const;
};

using EasyHandle = std::unique_ptr<void, EasyCleanup>;
using MultiHandle = std::unique_ptr<void, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListCleanup>;
using UrlHandle = std::unique_ptr<Curl_URL, UrlCleanup>;

// libcurl's process-wide set-up, done once.
void initializeOnce();
// A new easy handle (after the set-up); null when libcurl has no memory for it.
EasyHandle newEasyHandle();

} // namespace zv::curl
