#pragma once
// Paints a diagram's primitives with QPainter, texts included, in the font
// the texts were measured with.

#include <QFont>
#include <QImage>

#include "common/raster_image.h"
#include "viewer/diagram/diagram_model.h"

namespace wunt {

// Text sizes in `font`, for laying out the diagram.
TextMeasure DiagramTextMeasure(const QFont& font);

// The picture on white, at its full size; a null image when it has no size.
QImage PaintDiagramImage(const DiagramPicture& picture, const QFont& font);

// The image's pixels for the file writers of common/.
RasterImage ToRasterImage(const QImage& image);

}  // namespace wunt
