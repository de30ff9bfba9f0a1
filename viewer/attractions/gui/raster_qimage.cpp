#include "viewer/attractions/gui/raster_qimage.h"

namespace wunt {

QImage ToQImage(const RasterImage& image) {
  if (image.empty()) return {};
  // The raster's rows are packed RGB triples; copy() detaches from them.
  return QImage(image.Row(0), image.width(), image.height(), image.width() * 3,
                QImage::Format_RGB888)
      .copy();
}

}  // namespace wunt
