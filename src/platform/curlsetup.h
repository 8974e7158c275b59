#pragma once
// What every libcurl client of the program shares.

namespace platform {

// Initialises libcurl for the process, once; false when that failed.
bool initCurlOnce();

} // namespace platform
