// libjpeg reports errors through a callback that must not return: ours jumps back into
// DecodeJpeg, where only libjpeg's C frames lie in between, and the error becomes an exception.
#include "settings/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>

namespace {

struct TJpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<TJpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->Message);
    std::longjmp(errors->Jump, 1);
}

extern "C" void IgnoreJpegMessage(j_common_ptr) {}

// No C++ object with a destructor lives in this function, so the jump skips nothing.
bool DecodeInto(jpeg_decompress_struct& info, TJpegErrors& errors, const void* data, size_t size,
                TJpegPicture& picture) {
    if (setjmp(errors.Jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    picture.Width = static_cast<int>(info.output_width);
    picture.Height = static_cast<int>(info.output_height);
    const size_t stride = static_cast<size_t>(picture.Width) * 3;
    picture.Bgr.resize(stride * static_cast<size_t>(picture.Height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.Bgr.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

TJpegPicture DecodeJpeg(const void* data, size_t size) {
    if (!data || size == 0)
        throw std::runtime_error("The picture holds no JPEG data");
    jpeg_decompress_struct info{};
    TJpegErrors errors{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = OnJpegError;
    errors.Manager.output_message = IgnoreJpegMessage;
    TJpegPicture picture;
    bool decoded = DecodeInto(info, errors, data, size, picture);
    jpeg_destroy_decompress(&info);
    if (!decoded)
        throw std::runtime_error(std::string("The picture cannot be decoded: ") + errors.Message);
    return picture;
}
