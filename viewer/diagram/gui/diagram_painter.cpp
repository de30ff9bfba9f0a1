#include "viewer/diagram/gui/diagram_painter.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "viewer/platform/app_info.h"

namespace wunt {
namespace {

QColor ToColor(uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

// The text box is given as drawn: for a rotated text its width is the
// text's height. A rotated text reads from bottom to top.
void PaintText(QPainter& painter, const DiagramPrimitive& text) {
  QRect box(0, 0, text.rotated ? text.y2 : text.x2, text.rotated ? text.x2 : text.y2);
  painter.save();
  if (text.rotated) {
    painter.translate(text.x, text.y + text.y2);
    painter.rotate(-90);
  } else {
    painter.translate(text.x, text.y);
  }
  if (text.background) painter.fillRect(box, ToColor(*text.background));
  painter.setPen(ToColor(text.color));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FromCp1252(text.text));
  painter.restore();
}

}  // namespace

TextMeasure DiagramTextMeasure(const QFont& font) {
  return [metrics = QFontMetrics(font)](std::string_view text) {
    return PixelSize{metrics.horizontalAdvance(FromCp1252(text)), metrics.height()};
  };
}

QImage PaintDiagramImage(const DiagramPicture& picture, const QFont& font) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  image.fill(ToColor(kDiagramWhite));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setFont(font);
  for (const DiagramPrimitive& p : picture.primitives) {
    switch (p.kind) {
      case DiagramPrimitive::Kind::kLine:
        // A cosmetic pen of one pixel: both ends are drawn.
        painter.setPen(QPen(ToColor(p.color), 0));
        painter.drawLine(p.x, p.y, p.x2, p.y2);
        break;
      case DiagramPrimitive::Kind::kBox:
        painter.fillRect(p.x, p.y, p.x2, p.y2, ToColor(p.color));
        break;
      case DiagramPrimitive::Kind::kText:
        PaintText(painter, p);
        break;
    }
  }
  return image;
}

RasterImage ToRasterImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  RasterImage raster(rgb.width(), rgb.height());
  if (raster.empty()) return raster;
  const auto row_bytes = static_cast<size_t>(rgb.width()) * 3;
  for (int y = 0; y < rgb.height(); ++y) {
    std::copy_n(rgb.constScanLine(y), row_bytes, raster.Row(y));
  }
  return raster;
}

}  // namespace wunt
