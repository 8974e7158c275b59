#pragma once
// TjvAirBrush: sprays a stamp of a chosen shape and colour onto a picture, blended with what is
// already there, at most once per time interval. The stamp is a Size x Size bitmap, white where
// the shape is not; white counts as transparent when it is drawn.
#include "effects/bitmap.h"

#include <cstdint>
#include <functional>

namespace effects {

enum TAirBrushShape { absRound, absSquare, absLeftSlash, absRightSlash, absHorizontal, absVertical, absSpray };

class TjvAirBrush {
public:
    // Milliseconds of a monotonic clock. Tests install their own, so the rate is tested without
    // waiting.
    using TickSource = std::function<std::int64_t()>;
    static std::int64_t SystemTicks();

    explicit TjvAirBrush(TickSource ticks = SystemTicks);
    // Replaces the clock; the interval restarts at its present tick.
    void SetTickSource(TickSource ticks);

    // Edge of the square stamp, 10..200 (other values are ignored); rebuilds the stamp.
    int Size() const { return FSize; }
    void SetSize(int value);
    ColorRef Color() const { return FColor; }
    void SetColor(ColorRef value);
    // Percent 1..100 (other values are ignored).
    int Intensity() const { return FIntensity; }
    void SetIntensity(int value);
    TAirBrushShape Shape() const { return FShape; }
    void SetShape(TAirBrushShape value);
    // Milliseconds between two sprays.
    int Interval() const { return FInterval; }
    void SetInterval(int value) { FInterval = value; }

    // The stamp: empty until the first change of Size, Color or Shape (DrawAirBrush builds it
    // when it is still empty).
    const Bitmap24& Stamp() const { return FStamp; }
    void MakeStamp();
    void MakeSprayStamp();

    // Sprays one stamp centred on (x, y); the parts outside the canvas are left out.
    void DrawAirBrush(Bitmap24& canvas, int x, int y);
    // The result gets the background's size; where the stamp is white the result is white (so it
    // stays transparent), elsewhere each channel := Round((1 - intensity) x background +
    // intensity x stamp). Intensity is 0..1.
    static void BlendStamp(const Bitmap24& background, const Bitmap24& stamp, double intensity, Bitmap24& result);
    // True when more than Interval milliseconds have passed since the last spray; it then
    // restarts the interval.
    bool TimeToDraw();

private:
    TickSource FTicks;
    std::int64_t FLastTick = 0;
    int FSize = 40;
    ColorRef FColor = clBlack;
    int FIntensity = 10;
    TAirBrushShape FShape = absRound;
    int FInterval = 100;
    Bitmap24 FStamp;
};

} // namespace effects
