#pragma once
// Paints a diagram's primitives on a RasterImage, for programs that draw
// without Qt. There is no font here, so texts (and their backgrounds) are
// left out; lines and boxes come out as the Viewer paints them.

#include <cstdint>

#include "common/raster_image.h"
#include "viewer/ui/diagram_model.h"

namespace wunt {

// A diagram colour (red in the low byte) as RGB.
Rgb DiagramRgb(uint32_t color);

// White picture of the diagram's size with its lines and boxes. Empty when
// the diagram has no size.
RasterImage PaintDiagram(const DiagramPicture& picture);

}  // namespace wunt
