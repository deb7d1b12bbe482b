#include "core/jpeg2000_codec.h"

#include <openjpeg.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <thread>

#include "core/png_codec.h"

namespace vexilo::core {

namespace {

constexpr std::array<std::uint8_t, 12> kJp2Signature = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                                        0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
constexpr std::array<std::uint8_t, 4> kCodestreamStart = {0xFF, 0x4F, 0xFF, 0x51};
constexpr std::size_t kThreadedBytes = 64 * 1024;

template <std::size_t N>
bool startsWith(Bytes data, const std::array<std::uint8_t, N>& prefix) {
  return data.size() >= N && std::equal(prefix.begin(), prefix.end(), data.begin());
}

// The stream OpenJPEG reads from: the element's bytes, and nothing past them.
struct Source {
  Bytes data;
  std::size_t at = 0;
};

OPJ_SIZE_T readSource(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* s = static_cast<Source*>(user);
  const std::size_t n = std::min<std::size_t>(count, s->data.size() - s->at);
  if (n == 0) return static_cast<OPJ_SIZE_T>(-1);
  std::memcpy(buffer, s->data.data() + s->at, n);
  s->at += n;
  return n;
}

OPJ_OFF_T skipSource(OPJ_OFF_T count, void* user) {
  auto* s = static_cast<Source*>(user);
  if (count < 0) return -1;
  const std::size_t n = std::min<std::size_t>(static_cast<std::uint64_t>(count), s->data.size() - s->at);
  s->at += n;
  return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL seekSource(OPJ_OFF_T to, void* user) {
  auto* s = static_cast<Source*>(user);
  if (to < 0 || static_cast<std::uint64_t>(to) > s->data.size()) return OPJ_FALSE;
  s->at = static_cast<std::size_t>(to);
  return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecFree {
  void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamFree {
  void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageFree {
  void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

// A component's sample as 8 bits, whatever its precision.
std::uint8_t sample8(const opj_image_comp_t& c, std::size_t i) {
  int v = c.data[i];
  if (c.sgnd) v += 1 << (c.prec - 1);
  const int max = (1 << c.prec) - 1;
  v = std::clamp(v, 0, max);
  return static_cast<std::uint8_t>(c.prec == 8 ? v : (v * 255 + max / 2) / max);
}

}  // namespace

bool isJpeg2000(Bytes data) {
  return startsWith(data, kJp2Signature) || startsWith(data, kCodestreamStart);
}

std::optional<Bitmap> decodeJpeg2000(Bytes data) {
  if (!isJpeg2000(data)) return std::nullopt;
  const OPJ_CODEC_FORMAT format = startsWith(data, kJp2Signature) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K;
  std::unique_ptr<opj_codec_t, CodecFree> codec(opj_create_decompress(format));
  if (!codec) return std::nullopt;
  opj_set_info_handler(codec.get(), quiet, nullptr);
  opj_set_warning_handler(codec.get(), quiet, nullptr);
  opj_set_error_handler(codec.get(), quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters)) return std::nullopt;
  // Large pictures decode their code blocks on every core; small ones are not worth the threads.
  if (data.size() >= kThreadedBytes) {
    const unsigned cores = std::thread::hardware_concurrency();
    opj_codec_set_threads(codec.get(), static_cast<int>(std::clamp(cores, 1u, 8u)));
  }

  Source source{data};
  std::unique_ptr<opj_stream_t, StreamFree> stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!stream) return std::nullopt;
  opj_stream_set_user_data(stream.get(), &source, nullptr);
  opj_stream_set_user_data_length(stream.get(), data.size());
  opj_stream_set_read_function(stream.get(), readSource);
  opj_stream_set_skip_function(stream.get(), skipSource);
  opj_stream_set_seek_function(stream.get(), seekSource);

  opj_image_t* header = nullptr;
  if (!opj_read_header(stream.get(), codec.get(), &header)) {
    opj_image_destroy(header);
    return std::nullopt;
  }
  std::unique_ptr<opj_image_t, ImageFree> image(header);
  // The header's size and components are checked before the pixels are decoded.
  if (image->x1 <= image->x0 || image->y1 <= image->y0) return std::nullopt;
  const std::uint64_t width = image->x1 - image->x0, height = image->y1 - image->y0;
  const unsigned components = image->numcomps;
  if (components == 0 || components > 4 || !embeddedSizeAllowed(width, height, 4))
    return std::nullopt;
  for (unsigned c = 0; c < components; ++c)
    if (image->comps[c].dx != 1 || image->comps[c].dy != 1 || image->comps[c].prec == 0 ||
        image->comps[c].prec > 16)
      return std::nullopt;
  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get()))
    return std::nullopt;

  const std::size_t n = width * height;
  for (unsigned c = 0; c < components; ++c)
    if (!image->comps[c].data || image->comps[c].w != width || image->comps[c].h != height)
      return std::nullopt;
  Bitmap picture(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bits32);
  std::uint8_t* out = picture.data().data();
  const bool colour = components >= 3;
  const bool alpha = components == 2 || components == 4;
  const opj_image_comp_t* comps = image->comps;
  for (std::size_t i = 0; i < n; ++i, out += 4) {
    const std::uint8_t red = sample8(comps[0], i);
    out[2] = red;
    out[1] = colour ? sample8(comps[1], i) : red;
    out[0] = colour ? sample8(comps[2], i) : red;
    out[3] = alpha ? sample8(comps[components - 1], i) : 255;
  }
  return picture;
}

}  // namespace vexilo::core
