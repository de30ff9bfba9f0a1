#include "tools/wunt-export/diagram_painting.h"
#include "viewer/diagram/diagram_raster.h"

namespace wunt {

DiagramPainting ExportDiagramPainting() {
  return {.measure = RasterTextSize, .paint = PaintDiagram, .texts = false};
}

}  // namespace wunt
