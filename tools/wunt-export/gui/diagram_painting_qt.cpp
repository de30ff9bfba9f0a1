#include <QFont>
#include <QGuiApplication>

#include "tools/wunt-export/diagram_painting.h"
#include "viewer/diagram/gui/diagram_painter.h"

namespace wunt {

DiagramPainting ExportDiagramPainting() {
  if (QGuiApplication::instance() == nullptr) {
    // Fonts need an application object; no window is ever shown, so the
    // offscreen platform serves without a desktop. It lives until the
    // program ends.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "wunt-export";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
  }
  // The tab draws in the application's default font.
  const QFont font;
  return {.measure = DiagramTextMeasure(font),
          .paint =
              [font](const DiagramPicture& picture) {
                return ToRasterImage(PaintDiagramImage(picture, font));
              },
          .texts = true};
}

}  // namespace wunt
