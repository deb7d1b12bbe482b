#include "imageops/resize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>

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

// One row of pixels (4 floats each) filtered to a row of taps.first.size() pixels.
void filterRow(const float* in, const Taps& taps, float* out) {
  for (std::size_t x = 0; x < taps.first.size(); ++x, out += 4) {
    const float* w = &taps.weights[x * taps.stride];
    const float* p = in + static_cast<std::size_t>(taps.first[x]) * 4;
    float b = 0, g = 0, r = 0, a = 0;
    for (int k = 0; k < taps.count[x]; ++k, p += 4) {
      b += w[k] * p[0];
      g += w[k] * p[1];
      r += w[k] * p[2];
      a += w[k] * p[3];
    }
    out[0] = b, out[1] = g, out[2] = r, out[3] = a;
  }
}

std::uint8_t level(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

// One size being made: its filters, the rows filtered across that the filter down still needs
// (a ring of a few hundred kilobytes whatever the sizes), and the rows made so far.
struct Pass {
  Taps across, down;
  std::size_t ringRows = 0;
  std::vector<float> ring, sums;
  int done = 0;
  core::Bitmap out;

  int windowEnd(int y) const { return down.first[y] + down.count[y]; }
  float* ringRow(int y) { return &ring[static_cast<std::size_t>(y) % ringRows * sums.size()]; }

  // Output row `done` from the rows of its window, straight alpha again.
  void finishRow() {
    std::fill(sums.begin(), sums.end(), 0.0f);
    const int first = down.first[done];
    for (int k = 0; k < down.count[done]; ++k) {
      const float w = down.weights[static_cast<std::size_t>(done) * down.stride + k];
      const float* row = ringRow(first + k);
      for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += w * row[i];
    }
    std::uint8_t* to = out.row(done++).data();
    for (std::size_t i = 0; i < sums.size(); i += 4) {
      const std::uint8_t alpha = level(sums[i + 3]);
      if (alpha == 0) continue;  // the zeros the picture was made with
      // Divided by the filtered alpha itself, not the rounded one: a picture of one colour keeps
      // exactly that colour however faint its edge.
      const float undo = 255.0f / sums[i + 3];
      for (std::size_t c = 0; c < 3; ++c) to[i + c] = level(sums[i + c] * undo);
      to[i + 3] = alpha;
    }
  }
};

}  // namespace

std::vector<core::Bitmap> resizeLanczos(const core::Bitmap& picture, std::span<const PictureSize> sizes) {
  std::vector<core::Bitmap> results(sizes.size());
  std::optional<core::Bitmap> widened;  // a copy only when the picture is not 32-bit
  if (picture.format() != core::PixelFormat::Bits32) {
    widened = picture;
    widened->convertTo(core::PixelFormat::Bits32);
  }
  const core::Bitmap& source = widened ? *widened : picture;
  if (source.empty()) return results;
  const int width = source.width(), height = source.height();

  std::vector<Pass> passes;
  std::vector<std::size_t> resultOf;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const PictureSize size = sizes[i];
    if (size.width < 1 || size.height < 1 || !core::Bitmap::sizeAllowed(size.width, size.height)) continue;
    Pass& pass = passes.emplace_back();
    pass.across = tapsFor(width, size.width);
    pass.down = tapsFor(height, size.height);
    pass.ringRows = std::min(pass.down.stride, static_cast<std::size_t>(height));
    pass.sums.resize(static_cast<std::size_t>(size.width) * 4);
    pass.ring.resize(pass.ringRows * pass.sums.size());
    pass.out = core::Bitmap(size.width, size.height, core::PixelFormat::Bits32);
    resultOf.push_back(i);
  }
  // One pass down the source: each row premultiplied once, filtered across for every size whose
  // window has reached it, and every output row whose window it completes made.
  std::vector<float> line(static_cast<std::size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = source.row(y).data();
    for (std::size_t i = 0; i < line.size(); i += 4) {
      const float alpha = p[i + 3];
      for (std::size_t c = 0; c < 3; ++c) line[i + c] = p[i + c] * alpha * (1.0f / 255.0f);
      line[i + 3] = alpha;
    }
    for (Pass& pass : passes) {
      if (pass.done == pass.out.height() || y < pass.down.first[pass.done]) continue;
      filterRow(line.data(), pass.across, pass.ringRow(y));
      while (pass.done < pass.out.height() && pass.windowEnd(pass.done) <= y + 1) pass.finishRow();
    }
  }
  for (std::size_t i = 0; i < passes.size(); ++i) results[resultOf[i]] = std::move(passes[i].out);
  return results;
}

}  // namespace vexilo::imageops
