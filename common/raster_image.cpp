#include "common/raster_image.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/file_util.h"

namespace wunt {
namespace {

// A header announcing more is taken as damage.
bool AcceptableSize(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= RasterImage::kMaxSide &&
         height <= RasterImage::kMaxSide && width * height <= RasterImage::kMaxPixels;
}

uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadLe16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void PutLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutLe16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

// ---- Windows bitmap ----

std::optional<RasterImage> DecodeBmp(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 14 + 12) return std::nullopt;
  const uint32_t pixel_offset = ReadLe32(data + 10);
  const uint32_t header_size = ReadLe32(data + 14);
  int64_t width = 0;
  int64_t height = 0;
  int bits = 0;
  uint32_t compression = 0;
  if (header_size == 12) {  // the old OS/2 header
    width = ReadLe16(data + 18);
    height = static_cast<int16_t>(ReadLe16(data + 20));
    bits = ReadLe16(data + 24);
  } else if (header_size >= 40 && size >= 14 + 40) {
    width = static_cast<int32_t>(ReadLe32(data + 18));
    height = static_cast<int32_t>(ReadLe32(data + 22));
    bits = ReadLe16(data + 28);
    compression = ReadLe32(data + 30);
  } else {
    return std::nullopt;
  }
  // Plain 24- and 32-bit rows only; 32-bit "bitfields" with the usual masks
  // read the same way.
  if ((bits != 24 && bits != 32) || (compression != 0 && !(compression == 3 && bits == 32))) {
    return std::nullopt;
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (!AcceptableSize(width, height)) return std::nullopt;
  const size_t bytes_per_pixel = static_cast<size_t>(bits / 8);
  const size_t stride = (static_cast<size_t>(width) * bytes_per_pixel + 3) & ~size_t{3};
  if (pixel_offset > size || (size - pixel_offset) / stride < static_cast<size_t>(height)) {
    return std::nullopt;
  }
  RasterImage image(static_cast<int>(width), static_cast<int>(height));
  for (int64_t row = 0; row < height; ++row) {
    const unsigned char* src = data + pixel_offset + static_cast<size_t>(row) * stride;
    const int y = static_cast<int>(top_down ? row : height - 1 - row);
    uint8_t* dst = image.Row(y);
    for (int64_t x = 0; x < width; ++x, src += bytes_per_pixel, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return image;
}

// ---- JPEG ----

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Damaged pictures are common downloads; libjpeg's warnings would only
// clutter the updater's protocol on standard error.
void JpegSilence(j_common_ptr) {}

// A progressive picture may announce any number of scans, each a pass over
// the whole picture; real pictures have about ten.
constexpr int kMaxJpegScans = 200;

void JpegLimitScans(j_common_ptr cinfo) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (cinfo->is_decompressor && decompress->input_scan_number > kMaxJpegScans) {
    cinfo->err->error_exit(cinfo);
  }
}

// Everything that has to survive a longjmp lives in this plain struct, so no
// C++ object with a destructor is skipped by the jump.
struct JpegDecodeState {
  jpeg_decompress_struct cinfo;
  JpegError error;
  jpeg_progress_mgr progress;
};

bool DecodeJpegInto(JpegDecodeState& s, std::string_view bytes, RasterImage& image) {
  s.cinfo.err = jpeg_std_error(&s.error.mgr);
  s.error.mgr.error_exit = JpegErrorExit;
  s.error.mgr.output_message = JpegSilence;
  jpeg_create_decompress(&s.cinfo);
  s.progress.progress_monitor = JpegLimitScans;
  s.cinfo.progress = &s.progress;
  if (setjmp(s.error.jump)) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  jpeg_mem_src(&s.cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&s.cinfo, TRUE) != JPEG_HEADER_OK ||
      !AcceptableSize(s.cinfo.image_width, s.cinfo.image_height)) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  s.cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&s.cinfo);
  if (s.cinfo.output_components != 3) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  image =
      RasterImage(static_cast<int>(s.cinfo.output_width), static_cast<int>(s.cinfo.output_height));
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    JSAMPROW row = image.Row(static_cast<int>(s.cinfo.output_scanline));
    jpeg_read_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_decompress(&s.cinfo);
  jpeg_destroy_decompress(&s.cinfo);
  return true;
}

std::optional<RasterImage> DecodeJpeg(std::string_view bytes) {
  JpegDecodeState state{};
  RasterImage image;
  if (!DecodeJpegInto(state, bytes, image)) return std::nullopt;
  return image;
}

struct JpegEncodeState {
  jpeg_compress_struct cinfo;
  JpegError error;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool EncodeJpegInto(JpegEncodeState& s, const RasterImage& image, int quality) {
  s.cinfo.err = jpeg_std_error(&s.error.mgr);
  s.error.mgr.error_exit = JpegErrorExit;
  s.error.mgr.output_message = JpegSilence;
  jpeg_create_compress(&s.cinfo);
  if (setjmp(s.error.jump)) {
    jpeg_destroy_compress(&s.cinfo);
    return false;
  }
  jpeg_mem_dest(&s.cinfo, &s.buffer, &s.size);
  s.cinfo.image_width = static_cast<JDIMENSION>(image.width());
  s.cinfo.image_height = static_cast<JDIMENSION>(image.height());
  s.cinfo.input_components = 3;
  s.cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&s.cinfo);
  jpeg_set_quality(&s.cinfo, std::clamp(quality, 0, 100), TRUE);
  jpeg_start_compress(&s.cinfo, TRUE);
  while (s.cinfo.next_scanline < s.cinfo.image_height) {
    // libjpeg's row type is not const, but it only reads the rows.
    JSAMPROW row = const_cast<uint8_t*>(image.Row(static_cast<int>(s.cinfo.next_scanline)));
    jpeg_write_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_compress(&s.cinfo);
  jpeg_destroy_compress(&s.cinfo);
  return true;
}

// ---- PNG ----

std::optional<RasterImage> DecodePng(std::string_view bytes) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return std::nullopt;
  if (!AcceptableSize(png.width, png.height)) {
    png_image_free(&png);
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGB;
  RasterImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  const png_color white = {255, 255, 255};
  if (!png_image_finish_read(&png, &white, image.Row(0), 0, nullptr)) {
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

}  // namespace

RasterImage::RasterImage(int width, int height, Rgb fill) {
  if (!AcceptableSize(width, height)) return;
  width_ = width;
  height_ = height;
  pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  Fill(fill);
}

Rgb RasterImage::Pixel(int x, int y) const {
  const uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  return {p[0], p[1], p[2]};
}

void RasterImage::SetPixel(int x, int y, Rgb color) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 3;
  p[0] = color.r;
  p[1] = color.g;
  p[2] = color.b;
}

void RasterImage::Fill(Rgb color) { FillRect(0, 0, width_, height_, color); }

void RasterImage::FillRect(int x, int y, int width, int height, Rgb color) {
  const int x0 = std::max(x, 0);
  const int y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + width, width_));
  const int y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + height, height_));
  for (int row = y0; row < y1; ++row) {
    uint8_t* p = Row(row) + static_cast<size_t>(x0) * 3;
    for (int col = x0; col < x1; ++col, p += 3) {
      p[0] = color.r;
      p[1] = color.g;
      p[2] = color.b;
    }
  }
}

void RasterImage::Draw(const RasterImage& source, int x, int y) {
  const int x0 = std::max(x, 0);
  const int y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + source.width_, width_));
  const int y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + source.height_, height_));
  if (x0 >= x1 || y0 >= y1) return;
  const size_t count = static_cast<size_t>(x1 - x0) * 3;
  for (int row = y0; row < y1; ++row) {
    std::memcpy(Row(row) + static_cast<size_t>(x0) * 3,
                source.Row(row - y) + static_cast<size_t>(x0 - x) * 3, count);
  }
}

ImageFormat DetectImageFormat(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ImageFormat::kBmp;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF") return ImageFormat::kJpeg;
  if (bytes.size() >= 8 && bytes.substr(0, 8) == "\x89PNG\r\n\x1A\n") return ImageFormat::kPng;
  return ImageFormat::kUnknown;
}

std::optional<RasterImage> DecodeImage(std::string_view bytes) {
  switch (DetectImageFormat(bytes)) {
    case ImageFormat::kBmp:
      return DecodeBmp(bytes);
    case ImageFormat::kJpeg:
      return DecodeJpeg(bytes);
    case ImageFormat::kPng:
      return DecodePng(bytes);
    case ImageFormat::kUnknown:
      break;
  }
  return std::nullopt;
}

std::optional<RasterImage> LoadImageFile(const std::filesystem::path& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return DecodeImage(*bytes);
}

std::string EncodeBmp(const RasterImage& image) {
  const size_t stride = (static_cast<size_t>(image.width()) * 3 + 3) & ~size_t{3};
  const size_t pixel_bytes = stride * static_cast<size_t>(image.height());
  std::string out;
  out.reserve(54 + pixel_bytes);
  out += "BM";
  PutLe32(out, static_cast<uint32_t>(54 + pixel_bytes));
  PutLe32(out, 0);
  PutLe32(out, 54);
  PutLe32(out, 40);
  PutLe32(out, static_cast<uint32_t>(image.width()));
  PutLe32(out, static_cast<uint32_t>(image.height()));  // positive: bottom-up
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);  // uncompressed
  PutLe32(out, static_cast<uint32_t>(pixel_bytes));
  PutLe32(out, 2835);  // 72 dpi
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  const size_t padding = stride - static_cast<size_t>(image.width()) * 3;
  for (int y = image.height() - 1; y >= 0; --y) {
    const uint8_t* p = image.Row(y);
    for (int x = 0; x < image.width(); ++x, p += 3) {
      out.push_back(static_cast<char>(p[2]));
      out.push_back(static_cast<char>(p[1]));
      out.push_back(static_cast<char>(p[0]));
    }
    out.append(padding, '\0');
  }
  return out;
}

std::string EncodeJpeg(const RasterImage& image, int quality) {
  if (image.empty()) return {};
  JpegEncodeState state{};
  const bool ok = EncodeJpegInto(state, image, quality);
  std::string out;
  if (ok && state.buffer != nullptr) {
    out.assign(reinterpret_cast<const char*>(state.buffer), state.size);
  }
  std::free(state.buffer);  // jpeg_mem_dest allocates with malloc
  return out;
}

std::string EncodePng(const RasterImage& image) {
  if (image.empty()) return {};
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width());
  png.height = static_cast<png_uint_32>(image.height());
  png.format = PNG_FORMAT_RGB;
  std::string out(PNG_IMAGE_PNG_SIZE_MAX(png), '\0');
  png_alloc_size_t size = out.size();
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.Row(0), 0, nullptr)) {
    png_image_free(&png);
    return {};
  }
  out.resize(size);
  return out;
}

bool SaveBmp(const RasterImage& image, const std::filesystem::path& path) {
  return !image.empty() && WriteFileAtomically(path, EncodeBmp(image));
}

bool SaveJpeg(const RasterImage& image, const std::filesystem::path& path, int quality) {
  std::string bytes = EncodeJpeg(image, quality);
  return !bytes.empty() && WriteFileAtomically(path, bytes);
}

bool SavePng(const RasterImage& image, const std::filesystem::path& path) {
  std::string bytes = EncodePng(image);
  return !bytes.empty() && WriteFileAtomically(path, bytes);
}

}  // namespace wunt
