#include "curlsetup.h"

#include <curl/curl.h>

namespace platform {

bool initCurlOnce()
{
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    return done;
}

} // namespace platform
