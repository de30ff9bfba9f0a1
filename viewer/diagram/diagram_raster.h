#pragma once
// Paints a diagram's primitives on a RasterImage, for programs that draw
// without Qt. There is no font here, so texts (and their backgrounds) are
// left out; lines and boxes come out as the Viewer paints them.

#include <cstdint>
#include <string_view>

#include "common/raster_image.h"
#include "viewer/diagram/diagram_model.h"

namespace wunt {

// A diagram colour (red in the low byte) as RGB.
Rgb DiagramRgb(uint32_t color);

// Text sizes for laying out a diagram that is painted here: 7 x 13 pixels
// per character, about what the Viewer's dialog font takes, so the start
// values leave the margins a window's drawing of the same data would have.
PixelSize RasterTextSize(std::string_view text);

// White picture of the diagram's size with its lines and boxes. Empty when
// the diagram has no size.
RasterImage PaintDiagram(const DiagramPicture& picture);

}  // namespace wunt
