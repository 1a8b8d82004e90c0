// All contact with the JPEG library lives in this file. The library reports
// fatal errors through a callback that must not return; ours records the
// message and leaves through longjmp to the one function that called setjmp.
// Those functions hold only trivially destructible locals, so jumping over
// them skips no destructor; their callers turn the outcome into an exception
// and a result.

#include "images/Jpeg.h"

#include "base/FileOps.h"
#include "images/DIB.h"
#include "images/JPEGException.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace vardel {

namespace {

// Warnings of a damaged file may come once per block; keep the text bounded.
constexpr std::size_t kMaxWarningText = 64 * 1024;
// Progressive files with thousands of tiny scans would take hours to decode.
constexpr int kMaxScans = 500;
// Pixels allowed per byte of file beyond a floor every real picture passes:
// a few bytes cannot make a picture of gigabytes.
constexpr std::uint64_t kPixelFloor = 16u * 1024 * 1024;
constexpr std::uint64_t kPixelsPerFileByte = 4096;
// Message code of errors raised by this adapter rather than the library.
constexpr int kAdapterError = -1;

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so the library's pointer converts back
    std::jmp_buf jump;
    int code;
    char message[JMSG_LENGTH_MAX];
    std::string* warnings;
};

struct ScanLimit {
    jpeg_progress_mgr pub;  // first, as above
};

ErrorManager& Errors(j_common_ptr cinfo)
{
    return *reinterpret_cast<ErrorManager*>(cinfo->err);
}

[[noreturn]] void Leave(j_common_ptr cinfo, int code, const char* text)
{
    ErrorManager& err = Errors(cinfo);
    err.code = code;
    std::snprintf(err.message, sizeof err.message, "%s", text);
    std::longjmp(err.jump, 1);
}

void OnErrorExit(j_common_ptr cinfo)
{
    ErrorManager& err = Errors(cinfo);
    (*cinfo->err->format_message)(cinfo, err.message);
    err.code = cinfo->err->msg_code;
    std::longjmp(err.jump, 1);
}

void OnEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;  // trace output; the trace level is 0
    ++cinfo->err->num_warnings;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::string* warnings = Errors(cinfo).warnings;
    // No exception may unwind through the library's C frames.
    try {
        if (warnings && warnings->size() < kMaxWarningText) {
            warnings->append(text);
            warnings->append("\n");
        }
    } catch (...) {}
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        Leave(cinfo, kAdapterError, "JPEG file has too many scans");
}

// Readies err for one run that appends warnings to *warnings; returns the
// pointer to hand to the library as cinfo.err.
jpeg_error_mgr* InstallErrors(ErrorManager& err, std::string* warnings)
{
    jpeg_error_mgr& pub = err.pub;
    jpeg_std_error(&pub);
    pub.error_exit = OnErrorExit;
    pub.emit_message = OnEmitMessage;
    pub.output_message = OnOutputMessage;
    pub.trace_level = 0;
    err.warnings = warnings;
    err.code = 0;
    err.message[0] = '\0';
    return &pub;
}

// Copies the failure recorded in err into a job's code and message.
void TakeFailure(const ErrorManager& err, int& code, char (&message)[JMSG_LENGTH_MAX])
{
    code = err.code;
    std::memcpy(message, err.message, sizeof message);
}

struct DecodeJob {
    std::FILE* file;
    std::uint64_t fileSize;
    COXDIB* bitmap;  // empty on entry; filled on success
    std::string* warnings;
    int code;
    char message[JMSG_LENGTH_MAX];
};

// Decodes job.file into job.bitmap. False with job.code and job.message set.
bool RunDecompress(DecodeJob& job)
{
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    ScanLimit progress;
    cinfo.err = InstallErrors(err, job.warnings);
    if (setjmp(err.jump)) {
        TakeFailure(err, job.code, job.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.pub.progress_monitor = OnProgress;
    cinfo.progress = &progress.pub;
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);

    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.quantize_colors = FALSE;
    // What the "fast" choice also sets; without quantization they do nothing.
    cinfo.dither_mode = JDITHER_ORDERED;
    cinfo.two_pass_quantize = FALSE;
    cinfo.desired_number_of_colors = 216;
    if (cinfo.out_color_space != JCS_RGB && cinfo.out_color_space != JCS_GRAYSCALE)
        ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    jpeg_calc_output_dimensions(&cinfo);

    const std::uint64_t pixels = std::uint64_t{cinfo.output_width} * cinfo.output_height;
    const bool gray = cinfo.out_color_space == JCS_GRAYSCALE;
    const std::uint64_t limit = std::max(kPixelFloor, job.fileSize * kPixelsPerFileByte);
    if (pixels > limit || pixels * (gray ? 1 : 3) > COXDIB::kMaxImageBytes)
        Leave(reinterpret_cast<j_common_ptr>(&cinfo), kAdapterError, "JPEG image too large for its file");
    COXDIB& dib = *job.bitmap;
    if (!dib.Create(gray ? 8 : 24, static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height)))
        ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
    if (gray)
        for (int i = 0; i < 256; ++i)
            dib.SetColour(i, static_cast<std::uint32_t>(i) * 0x010101u);
    if (cinfo.density_unit == 2)  // dots per centimetre
        dib.SetResolution(cinfo.X_density * 100, cinfo.Y_density * 100);

    jpeg_start_decompress(&cinfo);
    const JDIMENSION rowBytes = cinfo.output_width * static_cast<JDIMENSION>(cinfo.output_components);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, rowBytes, 1);
    std::uint8_t* bits = dib.GetBits();
    const std::size_t stride = static_cast<std::size_t>(dib.GetStride());
    const JDIMENSION height = cinfo.output_height;
    while (cinfo.output_scanline < height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1)
            Leave(reinterpret_cast<j_common_ptr>(&cinfo), kAdapterError, "JPEG decoder stalled");
        std::uint8_t* out = bits + static_cast<std::size_t>(height - 1 - y) * stride;
        const JSAMPLE* in = row[0];
        if (gray) {
            std::memcpy(out, in, rowBytes);
        } else {
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct EncodeJob {
    std::FILE* file;
    const COXDIB* bitmap;          // 24 bits, or 8 bits with a colour table, uncompressed
    const std::uint32_t* palette;  // 256 entries for 8 bits
    std::string* warnings;
    int code;
    char message[JMSG_LENGTH_MAX];
};

// Encodes job.bitmap into job.file. False with job.code and job.message set.
bool RunCompress(EncodeJob& job)
{
    jpeg_compress_struct cinfo{};
    ErrorManager err;
    cinfo.err = InstallErrors(err, job.warnings);
    if (setjmp(err.jump)) {
        TakeFailure(err, job.code, job.message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    const COXDIB& dib = *job.bitmap;
    const COXDIB::Size size = dib.GetSize();
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    cinfo.image_width = static_cast<JDIMENSION>(size.cx);
    cinfo.image_height = static_cast<JDIMENSION>(size.cy);
    jpeg_set_defaults(&cinfo);  // quality 75
    const COXDIB::Size ppm = dib.GetResolution();
    if (ppm.cx > 0 && ppm.cy > 0) {
        cinfo.X_density = static_cast<UINT16>(ppm.cx / 100);
        cinfo.Y_density = static_cast<UINT16>(ppm.cy / 100);
        cinfo.density_unit = 2;
    }
    jpeg_stdio_dest(&cinfo, job.file);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPARRAY row =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.image_width * 3, 1);
    const bool paletted = dib.GetBitCount() == 8;
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* in = dib.GetRow(size.cy - 1 - static_cast<int>(cinfo.next_scanline));
        JSAMPLE* out = row[0];
        for (int x = 0; x < size.cx; ++x, out += 3) {
            if (paletted) {
                const std::uint32_t rgb = job.palette[*in++];
                out[0] = static_cast<JSAMPLE>(rgb >> 16);
                out[1] = static_cast<JSAMPLE>(rgb >> 8);
                out[2] = static_cast<JSAMPLE>(rgb);
            } else {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                in += 3;
            }
        }
        jpeg_write_scanlines(&cinfo, row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenFileForWriting(const std::filesystem::path& path)
{
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

// A picture is read only from a regular file: a FIFO in its place would
// hang the open.
std::FILE* OpenFileForReading(const std::filesystem::path& path)
{
    const int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        return nullptr;
#ifdef _WIN32
    std::FILE* file = ::_fdopen(fd, "rb");
#else
    std::FILE* file = ::fdopen(fd, "rb");
#endif
    if (!file)
        CloseFile(fd);
    return file;
}

}  // namespace

int DecompressJpeg(const std::filesystem::path& fileName, COXDIB& bitmap, std::string& warnings)
{
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(fileName, ec);
    FilePtr file(OpenFileForReading(fileName));
    if (!file || ec)
        throw COXJPEGException(kAdapterError, "Cannot open JPEG file");
    COXDIB decoded;
    const std::size_t before = warnings.size();
    DecodeJob job{file.get(), size, &decoded, &warnings, 0, {}};
    if (!RunDecompress(job))
        throw COXJPEGException(job.code, job.message);
    bitmap = std::move(decoded);
    return warnings.size() != before ? 2 : 0;
}

int CompressJpeg(const std::filesystem::path& fileName, const COXDIB& bitmap, std::string& warnings)
{
    const int bits = bitmap.GetBitCount();
    const bool plain = bitmap.GetCompression() == COXDIB::kCompressionRGB;
    std::vector<std::uint32_t> palette;
    if (bits == 8 && plain) {
        palette = bitmap.GetColourTable();
        palette.resize(256, 0);  // pixels beyond a short table read black
    } else if (bits != 24 || !plain) {
        throw COXJPEGException(kAdapterError, "Only 8-bit and 24-bit bitmaps can be written as JPEG");
    }
    std::error_code existsEc;
    const bool existed = std::filesystem::exists(fileName, existsEc) || existsEc;
    FilePtr file(OpenFileForWriting(fileName));
    if (!file)
        throw COXJPEGException(kAdapterError, "Cannot create JPEG file");
    const std::size_t before = warnings.size();
    EncodeJob job{file.get(), &bitmap, palette.data(), &warnings, 0, {}};
    const bool encoded = RunCompress(job);
    const bool closed = std::fclose(file.release()) == 0;
    if (!encoded || !closed) {
        // Never leave half a picture behind, but only remove what this call
        // created: an existing name may be a device or a file we were told to overwrite.
        std::error_code ec;
        if (!existed)
            std::filesystem::remove(fileName, ec);
        if (!encoded)
            throw COXJPEGException(job.code, job.message);
        throw COXJPEGException(kAdapterError, "Cannot write JPEG file");
    }
    return warnings.size() != before ? 2 : 0;
}

namespace {

// True when run() finishes; false when it throws a JPEG error or runs out of memory.
template <class Run>
bool Quietly(Run run)
{
    try {
        std::string warnings;
        run(warnings);
        return true;
    } catch (const COXJPEGException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

bool LoadJpeg(const std::filesystem::path& fileName, COXDIB& bitmap)
{
    return Quietly([&](std::string& warnings) { DecompressJpeg(fileName, bitmap, warnings); });
}

bool SaveJpeg(const std::filesystem::path& fileName, const COXDIB& bitmap)
{
    return Quietly([&](std::string& warnings) { CompressJpeg(fileName, bitmap, warnings); });
}

}  // namespace vardel
