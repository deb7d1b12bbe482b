#include "imageops/resize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace vexilo::imageops {

namespace {

constexpr double kLobes = 3.0;

double sinc(double x) {
  if (x == 0.0) return 1.0;
  x *= std::numbers::pi;
  return std::sin(x) / x;
}

double lanczos(double x) { return x > -kLobes && x < kLobes ? sinc(x) * sinc(x / kLobes) : 0.0; }

// One pass of the filter along rows or columns: for each output pixel, the first input pixel
// it reads and the weights of those that follow, which sum to 1.
struct Taps {
  std::vector<int> first;
  std::vector<int> count;
  std::vector<float> weights;  // `stride` for each output pixel
  std::size_t stride = 0;
};

Taps tapsFor(int in, int out) {
  const double scale = static_cast<double>(in) / out;
  const double stretch = std::max(scale, 1.0);  // reducing widens the filter; enlarging does not
  const double support = kLobes * stretch;
  Taps t;
  t.stride = static_cast<std::size_t>(std::ceil(support)) * 2 + 1;
  t.first.resize(static_cast<std::size_t>(out));
  t.count.resize(static_cast<std::size_t>(out));
  t.weights.assign(static_cast<std::size_t>(out) * t.stride, 0.0f);
  std::vector<double> raw(t.stride);
  for (int i = 0; i < out; ++i) {
    // Pixel i covers [i, i + 1) of the output, so its centre lies at (i + 0.5) * scale.
    const double centre = (i + 0.5) * scale;
    const int lo = std::clamp(static_cast<int>(centre - support + 0.5), 0, in - 1);
    const int hi = std::clamp(static_cast<int>(centre + support + 0.5), lo + 1, in);
    const int n = std::min(hi - lo, static_cast<int>(t.stride));
    double sum = 0;
    for (int k = 0; k < n; ++k) sum += raw[k] = lanczos((lo + k - centre + 0.5) / stretch);
    float* w = &t.weights[static_cast<std::size_t>(i) * t.stride];
    for (int k = 0; k < n; ++k) w[k] = static_cast<float>(sum != 0 ? raw[k] / sum : raw[k]);
    t.first[i] = lo;
    t.count[i] = n;
  }
  return t;
}

// Rows of `inWidth` pixels (4 floats each) filtered to rows of taps.first.size() pixels.
void filterRows(const float* in, int inWidth, int rows, const Taps& taps, float* out) {
  const std::size_t outWidth = taps.first.size();
  for (int y = 0; y < rows; ++y) {
    const float* row = in + static_cast<std::size_t>(y) * inWidth * 4;
    float* o = out + static_cast<std::size_t>(y) * outWidth * 4;
    for (std::size_t x = 0; x < outWidth; ++x, o += 4) {
      const float* w = &taps.weights[x * taps.stride];
      const float* p = row + static_cast<std::size_t>(taps.first[x]) * 4;
      float b = 0, g = 0, r = 0, a = 0;
      for (int k = 0; k < taps.count[x]; ++k, p += 4) {
        b += w[k] * p[0];
        g += w[k] * p[1];
        r += w[k] * p[2];
        a += w[k] * p[3];
      }
      o[0] = b, o[1] = g, o[2] = r, o[3] = a;
    }
  }
}

// Columns filtered: each output row the weighted sum of whole input rows of `width` pixels.
void filterColumns(const float* in, int width, const Taps& taps, float* out) {
  const std::size_t values = static_cast<std::size_t>(width) * 4;
  for (std::size_t y = 0; y < taps.first.size(); ++y) {
    float* o = out + y * values;
    std::fill(o, o + values, 0.0f);
    for (int k = 0; k < taps.count[y]; ++k) {
      const float w = taps.weights[y * taps.stride + k];
      const float* row = in + static_cast<std::size_t>(taps.first[y] + k) * values;
      for (std::size_t i = 0; i < values; ++i) o[i] += w * row[i];
    }
  }
}

std::uint8_t level(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

}  // namespace

ResizeSource::ResizeSource(const core::Bitmap& picture, bool useAlpha) {
  core::Bitmap copy = picture;
  copy.convertTo(core::PixelFormat::Bits32);
  if (copy.empty()) return;
  width_ = copy.width();
  height_ = copy.height();
  const std::vector<std::uint8_t>& bytes = copy.data();
  pixels_.resize(bytes.size());
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    const float alpha = useAlpha ? bytes[i + 3] : 255.0f;
    for (std::size_t c = 0; c < 3; ++c) pixels_[i + c] = bytes[i + c] * alpha / 255.0f;
    pixels_[i + 3] = alpha;
  }
}

core::Bitmap ResizeSource::resized(int width, int height) const {
  if (pixels_.empty() || width < 1 || height < 1 || !core::Bitmap::sizeAllowed(width, height)) return {};
  const Taps across = tapsFor(width_, width), down = tapsFor(height_, height);
  std::vector<float> rows(static_cast<std::size_t>(width) * height_ * 4);
  filterRows(pixels_.data(), width_, height_, across, rows.data());
  std::vector<float> sums(static_cast<std::size_t>(width) * height * 4);
  filterColumns(rows.data(), width, down, sums.data());

  core::Bitmap out(width, height, core::PixelFormat::Bits32);
  std::vector<std::uint8_t>& bytes = out.data();
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    const std::uint8_t alpha = level(sums[i + 3]);
    if (alpha == 0) continue;  // the zeros the picture was made with
    // Divided by the filtered alpha itself, not the rounded one: a picture of one colour keeps
    // exactly that colour however faint its edge.
    const float undo = 255.0f / sums[i + 3];
    for (std::size_t c = 0; c < 3; ++c) bytes[i + c] = level(sums[i + c] * undo);
    bytes[i + 3] = alpha;
  }
  return out;
}

core::Bitmap resizeLanczos(const core::Bitmap& picture, int width, int height) {
  const bool useAlpha = picture.format() == core::PixelFormat::Bits32 && !picture.alphaAllZero();
  return ResizeSource(picture, useAlpha).resized(width, height);
}

}  // namespace vexilo::imageops
