#pragma once
// How wunt-export lays out and paints a diagram. Built with Qt, it measures
// and draws texts as the Viewer's diagram tab does, so a file matches the
// tab's; built without Qt (the sanitizer tree), it draws lines and boxes
// only and leaves the texts' room empty.

#include <functional>

#include "common/raster_image.h"
#include "viewer/diagram/diagram_model.h"

namespace wunt {

struct DiagramPainting {
  TextMeasure measure;
  std::function<RasterImage(const DiagramPicture&)> paint;
  bool texts = false;  // whether the pictures carry their texts
};

DiagramPainting ExportDiagramPainting();

}  // namespace wunt
