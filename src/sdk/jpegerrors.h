#pragma once
// libjpeg's errors inside the imaging engine: a fatal error jumps back to the caller's setjmp
// instead of ending the process, and warnings and messages stay silent.
#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace sdk::detail {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] inline void jpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

inline void installJpegErrors(jpeg_error_mgr& pub)
{
    jpeg_std_error(&pub);
    pub.error_exit = jpegErrorExit;
    pub.emit_message = [](j_common_ptr, int) {};
    pub.output_message = [](j_common_ptr) {};
}

} // namespace sdk::detail
