#include "platform/net/CurlHandles.h"

#include <curl/curl.h>

#include <mutex>

namespace zv::curl {

void EasyCleanup::operator()(void* easy) const
{
    curl_easy_cleanup(easy);
}

void MultiCleanup::operator()(void* multi) const
{
    curl_multi_cleanup(multi);
}

void HeaderListCleanup::operator()(curl_slist* list) const
{
    curl_slist_free_all(list);
}

void UrlCleanup::operator()(Curl_URL* url) const { curl_url_cleanup(url); }

void initializeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

EasyHandle newEasyHandle()
{
    initializeOnce();
    return EasyHandle(curl_easy_init());
}

} // namespace zv::curl
