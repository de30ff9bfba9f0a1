#pragma once
// The passage from the core's RGB rasters to Qt's pictures.

#include <QImage>

#include "common/raster_image.h"

namespace wunt {

// A copy of `image` as a QImage; a null QImage for an empty raster.
QImage ToQImage(const RasterImage& image);

}  // namespace wunt
