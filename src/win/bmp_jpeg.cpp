#include "win/bmp_jpeg.h"

#include <array>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h expects FILE and size_t to be declared before it
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "core/bmp_codec.h"
#include "core/file_io.h"
#include "core/png_codec.h"
#include "core/save_flow.h"
#include "core/string_table.h"

namespace vexilo::win {

namespace {

constexpr int kUnsupportedFile = 6422;

void showUnsupported(core::CommandContext& ctx, const std::filesystem::path& path) {
  core::DecodedFamily family;
  family.say(kUnsupportedFile, path.string());
  core::applyFamily(ctx, family);
}

// The family of an import: the picture, or the message when there is none.
template <class Decoded>
core::DecodedFamily importFamily(Decoded picture, std::string_view path) {
  core::DecodedFamily family;
  if (picture)
    family.pictures.push_back(importedPicture(std::move(*picture)));
  else
    family.say(kUnsupportedFile, std::string(path));
  return family;
}

// libjpeg reports a fatal error through error_exit, which by default ends the process. Ours
// jumps back to the guarded call that ran the library, and warnings are ignored.
struct JpegError {
  jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it is a pointer to this
  std::jmp_buf jump;
};

[[noreturn]] void onJpegError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void onJpegMessage(j_common_ptr) {}

template <class Info>
void installErrorHandler(JpegError& error, Info& info) {
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = onJpegError;
  error.manager.output_message = onJpegMessage;
}

// Runs one step of libjpeg work; false when the library reported an error. The error jumps back
// here, so neither this function nor the steps hold any object with a destructor.
template <class Info>
bool guarded(JpegError& error, void (*step)(Info&, void*), Info& info, void* argument) {
  if (setjmp(error.jump) != 0) return false;
  step(info, argument);
  return true;
}

// --- Decoding -------------------------------------------------------------------------------

struct Source {
  const std::uint8_t* data;
  std::size_t size;
};

void createDecompress(jpeg_decompress_struct& info, void*) { jpeg_create_decompress(&info); }

void readHeader(jpeg_decompress_struct& info, void* argument) {
  const auto* source = static_cast<const Source*>(argument);
  jpeg_mem_src(&info, source->data, static_cast<unsigned long>(source->size));
  jpeg_read_header(&info, TRUE);
}

void startDecompress(jpeg_decompress_struct& info, void*) { jpeg_start_decompress(&info); }

void readRow(jpeg_decompress_struct& info, void* argument) {
  JSAMPROW row = static_cast<JSAMPROW>(argument);
  jpeg_read_scanlines(&info, &row, 1);
}

class DecompressGuard {
 public:
  explicit DecompressGuard(jpeg_decompress_struct& info) : info_(info) {}
  ~DecompressGuard() { jpeg_destroy_decompress(&info_); }
  DecompressGuard(const DecompressGuard&) = delete;
  DecompressGuard& operator=(const DecompressGuard&) = delete;

 private:
  jpeg_decompress_struct& info_;
};

std::uint8_t scaled(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

// --- Encoding -------------------------------------------------------------------------------

// A destination that collects the compressed bytes in a vector, a chunk at a time. Growing the
// vector may fail; that is recorded, never thrown through the library.
struct VectorDestination {
  jpeg_destination_mgr manager;  // first, as for JpegError
  core::ByteBuffer* out;
  bool failed;
  std::array<JOCTET, 4096> chunk;
};

VectorDestination* destinationOf(j_compress_ptr info) {
  return reinterpret_cast<VectorDestination*>(info->dest);
}

void flushChunk(VectorDestination& d, std::size_t count) noexcept {
  try {
    d.out->insert(d.out->end(), d.chunk.begin(), d.chunk.begin() + static_cast<std::ptrdiff_t>(count));
  } catch (...) {
    d.failed = true;
  }
  d.manager.next_output_byte = d.chunk.data();
  d.manager.free_in_buffer = d.chunk.size();
}

void initDestination(j_compress_ptr info) { flushChunk(*destinationOf(info), 0); }

boolean emptyOutputBuffer(j_compress_ptr info) {
  VectorDestination& d = *destinationOf(info);
  flushChunk(d, d.chunk.size());
  return TRUE;
}

void termDestination(j_compress_ptr info) {
  VectorDestination& d = *destinationOf(info);
  flushChunk(d, d.chunk.size() - d.manager.free_in_buffer);
}

struct CompressSetup {
  int width;
  int height;
  int quality;
};

void createCompress(jpeg_compress_struct& info, void*) { jpeg_create_compress(&info); }

void startCompress(jpeg_compress_struct& info, void* argument) {
  const auto* setup = static_cast<const CompressSetup*>(argument);
  info.image_width = static_cast<JDIMENSION>(setup->width);
  info.image_height = static_cast<JDIMENSION>(setup->height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);  // baseline, Huffman tables of the standard
  jpeg_set_quality(&info, setup->quality, TRUE);
  jpeg_start_compress(&info, TRUE);
}

void writeRow(jpeg_compress_struct& info, void* argument) {
  JSAMPROW row = static_cast<JSAMPROW>(argument);
  jpeg_write_scanlines(&info, &row, 1);
}

void finishCompress(jpeg_compress_struct& info, void*) { jpeg_finish_compress(&info); }

class CompressGuard {
 public:
  explicit CompressGuard(jpeg_compress_struct& info) : info_(info) {}
  ~CompressGuard() { jpeg_destroy_compress(&info_); }
  CompressGuard(const CompressGuard&) = delete;
  CompressGuard& operator=(const CompressGuard&) = delete;

 private:
  jpeg_compress_struct& info_;
};

// --- Export ---------------------------------------------------------------------------------

// The selected slot's picture, or nothing when it has none.
const core::Bitmap* selectedPicture(core::CommandContext& ctx) {
  const core::Slot& slot = ctx.board.slot(ctx.board.selected());
  return slot.picture ? &*slot.picture : nullptr;
}

}  // namespace

core::DecodedPicture importedPicture(core::Bitmap picture) {
  const int width = picture.width();
  return {core::colourSlotOf(width, width).value_or(core::SlotId::ic128), std::move(picture)};
}

core::DecodedFamily decodeBmpImport(core::Bytes file, std::string_view path) {
  return importFamily(core::decodeBmp(file), path);
}

bool readBmpBytes(core::CommandContext& ctx, core::Bytes file) {
  auto picture = core::decodeBmp(file);
  if (!picture) return false;
  core::DecodedFamily family;
  family.pictures.push_back(importedPicture(std::move(*picture)));
  core::applyFamily(ctx, family);
  return true;
}

void readBmpFile(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) return showUnsupported(ctx, path);
  core::applyFamily(ctx, decodeBmpImport(*bytes, path.string()));
}

core::Result<core::Bitmap> decodeJpeg(core::Bytes file) {
  using R = core::Result<core::Bitmap>;
  JpegError error{};
  jpeg_decompress_struct info{};
  installErrorHandler(error, info);
  DecompressGuard guard(info);
  if (!guarded(error, createDecompress, info, nullptr)) return R::failure("libjpeg unusable", 0);

  Source source{file.data(), file.size()};
  if (!guarded(error, readHeader, info, &source)) return R::failure("not a JPEG file", 0);
  if (!core::Bitmap::sizeAllowed(info.image_width, info.image_height))
    return R::failure("picture too large", 0);

  // libjpeg writes grey, YCbCr and RGB pictures as blue, green, red, alpha 255 itself, straight
  // into the picture's rows; CMYK comes as it is.
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  info.scale_num = 1;
  info.scale_denom = 1;
  const bool inverted = cmyk && info.saw_Adobe_marker;
  if (!guarded(error, startDecompress, info, nullptr)) return R::failure("bad JPEG data", 0);

  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  const int components = info.output_components;
  if (!core::Bitmap::sizeAllowed(width, height) || components != 4)
    return R::failure("unexpected JPEG output", 0);

  core::Bitmap picture(width, height, core::PixelFormat::Bits32);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* out = picture.row(y).data();
    if (!guarded(error, readRow, info, out)) return R::failure("bad JPEG data", 0);
    if (!cmyk) continue;
    // Cyan, magenta, yellow and black, in place. Stored inverted (Adobe) a value is already
    // 255 - ink.
    const unsigned flip = inverted ? 0 : 255;
    for (int x = 0; x < width; ++x, out += 4) {
      const unsigned c = flip ^ out[0], m = flip ^ out[1], yy = flip ^ out[2], k = flip ^ out[3];
      out[0] = scaled(yy, k);
      out[1] = scaled(m, k);
      out[2] = scaled(c, k);
      out[3] = 255;
    }
  }
  return picture;
}

core::DecodedFamily decodeJpegImport(core::Bytes file, std::string_view path) {
  return importFamily(decodeJpeg(file), path);
}

void readJpegFile(core::CommandContext& ctx, const std::filesystem::path& path) {
  const auto bytes = core::readFileBytes(path);
  if (!bytes) return showUnsupported(ctx, path);
  core::applyFamily(ctx, decodeJpegImport(*bytes, path.string()));
}

core::DecodedFamily decodePngImport(core::Bytes file, std::string_view path) {
  core::DecodedFamily family;
  auto picture = core::decodePng(file);
  if (!picture) {
    family.say(kUnsupportedFile, std::string(path));
    return family;
  }
  const int width = picture->width();
  family.offer(core::colourSlotOf(width, width), std::move(*picture));  // none: the pasteboard
  return family;
}

std::optional<core::ByteBuffer> encodeJpeg(const core::Bitmap& picture, int quality) {
  if (picture.empty()) return std::nullopt;
  core::ByteBuffer out;
  JpegError error{};
  VectorDestination destination{};
  destination.out = &out;
  destination.manager.init_destination = initDestination;
  destination.manager.empty_output_buffer = emptyOutputBuffer;
  destination.manager.term_destination = termDestination;

  jpeg_compress_struct info{};
  installErrorHandler(error, info);
  CompressGuard guard(info);
  if (!guarded(error, createCompress, info, nullptr)) return std::nullopt;
  info.dest = &destination.manager;
  CompressSetup setup{picture.width(), picture.height(), quality};
  if (!guarded(error, startCompress, info, &setup)) return std::nullopt;

  std::vector<JSAMPLE> row(3 * static_cast<std::size_t>(picture.width()));
  for (int y = 0; y < picture.height(); ++y) {
    if (picture.format() == core::PixelFormat::Bits32) {
      const std::uint8_t* in = picture.row(y).data();
      for (std::size_t i = 0; i < row.size(); i += 3, in += 4) {
        row[i] = in[2];
        row[i + 1] = in[1];
        row[i + 2] = in[0];
      }
    } else {
      for (int x = 0; x < picture.width(); ++x) {
        const core::Bgra c = picture.pixel(x, y);
        row[3 * static_cast<std::size_t>(x)] = c.red;
        row[3 * static_cast<std::size_t>(x) + 1] = c.green;
        row[3 * static_cast<std::size_t>(x) + 2] = c.blue;
      }
    }
    if (!guarded(error, writeRow, info, row.data())) return std::nullopt;
  }
  if (!guarded(error, finishCompress, info, nullptr) || destination.failed) return std::nullopt;
  return out;
}

namespace {

// Save Image As for one picture file kind: the dialog of the string ids (title, filter,
// extension, pattern), then the encoder's bytes; an encoder that fails writes nothing, and the
// file already there stays as it was.
template <class Encode>
core::Outcome savePicture(core::CommandContext& ctx, const int (&strings)[4], Encode encode) {
  const core::Bitmap* picture = selectedPicture(ctx);
  if (!picture) return core::Outcome::Refused;
  const core::FileDialogRequest dialog =
      core::dialogFromStrings(ctx.langOffset, strings[0], strings[1], strings[2], strings[3]);
  const auto path = core::chooseSaveTarget(ctx, dialog);
  if (!path) return core::Outcome::Cancelled;
  const std::optional<core::ByteBuffer> bytes = encode(*picture);
  if (!bytes) {
    core::showFileError(ctx.prompter, ctx.langOffset, *path);
    return core::Outcome::Failed;
  }
  return core::writeOutput(ctx, *path, *bytes);
}

}  // namespace

core::Outcome sbmClick(core::CommandContext& ctx) {
  return savePicture(ctx, {6431, 6432, 6433, 6434},
                     [](const core::Bitmap& p) { return std::optional(core::encodeBmp(p)); });
}

core::Outcome jpgClick(core::CommandContext& ctx) {
  return savePicture(ctx, {6427, 6428, 6429, 6430}, [](const core::Bitmap& p) { return encodeJpeg(p); });
}

core::Outcome pngClick(core::CommandContext& ctx) {
  return savePicture(ctx, {6447, 6448, 6449, 6450}, core::encodeShownPng);
}

}  // namespace vexilo::win
