#include "framework/imageio/JpegReader.h"

#include <cstdio> // jpeglib.h needs FILE declared first
#include <csetjmp>
#include <vector>

#include <jpeglib.h>

namespace Quill::ImageLib {

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// libjpeg's state and the decode's results live here, outside the frame that
// holds the setjmp, so that a longjmp never skips a destructor and nothing in
// that frame is left clobbered.
struct JpegJob {
    jpeg_decompress_struct info;
    JpegErrors errors;
    jpeg_progress_mgr progress;
    std::unique_ptr<Image> image;
    std::vector<JSAMPLE> row;
};

// A progressive file needs about ten scans; thousands of tiny repeated scans
// are a way to make one small file cost minutes of decoding.
constexpr int kMaxScans = 500;

// libjpeg's default would end the program.
void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }
void OnJpegMessage(j_common_ptr) {}
void OnJpegProgress(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) OnJpegError(info);
}

bool PrepareImage(JpegJob& job) {
    const jpeg_decompress_struct& info = job.info;
    if (info.output_components != 1 && info.output_components != 3) return false;
    job.image = NewImage(info.output_width, info.output_height);
    if (!job.image) return false;
    job.row.resize(static_cast<size_t>(info.output_width) * static_cast<size_t>(info.output_components));
    return true;
}

void StoreRow(JpegJob& job, JDIMENSION y) {
    uint32_t* out = job.image->bits.data() + static_cast<size_t>(y) * static_cast<size_t>(job.image->width);
    const JSAMPLE* in = job.row.data();
    if (job.info.output_components == 1) {
        for (int32_t x = 0; x < job.image->width; ++x, ++in)
            out[x] = 0xFF000000u | uint32_t(in[0]) << 16 | uint32_t(in[0]) << 8 | in[0];
    } else {
        for (int32_t x = 0; x < job.image->width; ++x, in += 3)
            out[x] = 0xFF000000u | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
    }
}

// All of libjpeg's work, in the one function that holds the setjmp.
bool RunJpeg(JpegJob& job, const uint8_t* data, size_t size) {
    job.info.err = jpeg_std_error(&job.errors.manager);
    job.errors.manager.error_exit = OnJpegError;
    job.errors.manager.output_message = OnJpegMessage;
    if (setjmp(job.errors.jump)) {
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    jpeg_create_decompress(&job.info);
    job.progress.progress_monitor = OnJpegProgress;
    job.info.progress = &job.progress;
    jpeg_mem_src(&job.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&job.info, TRUE) != JPEG_HEADER_OK ||
        !ImageSizeAllowed(job.info.image_width, job.info.image_height)) {
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    job.info.out_color_space = job.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&job.info);
    if (!PrepareImage(job)) {
        jpeg_destroy_decompress(&job.info);
        return false;
    }
    while (job.info.output_scanline < job.info.output_height) {
        JSAMPROW row = job.row.data();
        JDIMENSION y = job.info.output_scanline;
        if (jpeg_read_scanlines(&job.info, &row, 1) != 1) break;
        StoreRow(job, y);
    }
    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return true;
}

} // namespace

std::unique_ptr<Image> DecodeJpeg(const uint8_t* data, size_t size) {
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return nullptr;
    JpegJob job{};
    if (!RunJpeg(job, data, size)) return nullptr;
    return std::move(job.image);
}

} // namespace Quill::ImageLib
