#pragma once
// Plain reference versions of the effects whose library code is optimised (tables, blocks,
// vector-friendly loops): one pixel and one channel at a time, straight from the rules, reading
// and writing the bitmap in the rules' order. The tests compare the two on random pictures.
#include "effects/bitmap.h"
#include "effects/resample.h"

#include <cstdint>

namespace fx_ref {

using effects::Bitmap24;

void Lightness(Bitmap24& b, int amount);
void Contrast(Bitmap24& b, int amount);
void Saturation(Bitmap24& b, int amount);
void AddColorNoise(Bitmap24& b, std::uint32_t amount);
void AddMonoNoise(Bitmap24& b, std::uint32_t amount);
void Posterize(Bitmap24& b, int step);
void Blend(const Bitmap24& first, const Bitmap24& second, Bitmap24& dest, double x);
void Emboss(Bitmap24& b);
void SplitBlur(Bitmap24& b, int a);
void Mosaic(Bitmap24& b, int s);
void MapEffect(Bitmap24& b, int a);
void FishEye(const Bitmap24& src, Bitmap24& dst, double k);
void Twist(const Bitmap24& src, Bitmap24& dst, int a);
void Rotate(const Bitmap24& src, Bitmap24& dst, int x0, int y0, double angle);
void Wings(const Bitmap24& src, Bitmap24& dst, double x, int a, int kind);
void Resample(const Bitmap24& src, Bitmap24& dst, effects::ResampleFilter filter, float support);

} // namespace fx_ref
