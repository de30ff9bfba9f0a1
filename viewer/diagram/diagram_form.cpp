#include "viewer/diagram/diagram_form.h"

#include <algorithm>
#include <utility>

namespace wunt {

bool DiagramForm::Show(DiagramData data, const TextMeasure& measure) {
  // The same data keeps what the user set; other data would not fit it.
  if (started_ && data == data_) return false;
  data_ = std::move(data);
  scale_ = StartDiagramSettings(data_, measure);
  grid_lines_ = std::clamp(scale_.grid_lines, 0, kMaxGridLines);
  WriteAll();
  started_ = true;
  return true;
}

void DiagramForm::SetGridLines(int32_t count) { grid_lines_ = std::clamp(count, 0, kMaxGridLines); }

void DiagramForm::Leave(DiagramField field) {
  DiagramSettings settings = ForDrawing();
  const int64_t divisor = DiagramColumnDivisor(data_);
  switch (field) {
    case DiagramField::kColumnWidth:
      CoupleColumnWidth(settings, divisor);
      Write(DiagramField::kPlotWidth, settings.plot_width);
      return;
    case DiagramField::kPlotWidth:
      CouplePlotWidth(settings, divisor);
      Write(DiagramField::kColumnWidth, settings.column_width);
      return;
    case DiagramField::kValuesPerPixel:
      CoupleValuesPerPixel(settings);
      Write(DiagramField::kPlotHeight, settings.plot_height);
      Write(DiagramField::kValuesPerPixel, settings.values_per_pixel);
      break;
    case DiagramField::kMaximum:
    case DiagramField::kMinimum:
    case DiagramField::kPlotHeight:
      settings.maximum = ReadDiagramBound(text(DiagramField::kMaximum));
      settings.minimum = ReadDiagramBound(text(DiagramField::kMinimum));
      CoupleScale(settings);
      texts_[Index(DiagramField::kMaximum)] = FormatDiagramBound(settings.maximum);
      texts_[Index(DiagramField::kMinimum)] = FormatDiagramBound(settings.minimum);
      Write(DiagramField::kPlotHeight, settings.plot_height);
      Write(DiagramField::kValuesPerPixel, settings.values_per_pixel);
      break;
    case DiagramField::kLeftMargin:
    case DiagramField::kBottomMargin:
      // Nothing depends on the margins but the drawing.
      return;
  }
  scale_.maximum = settings.maximum;
  scale_.minimum = settings.minimum;
  scale_.values_per_pixel = settings.values_per_pixel;
  scale_.zero_line = settings.zero_line;
}

DiagramSettings DiagramForm::ForDrawing() const {
  DiagramSettings settings = scale_;
  settings.plot_width = Size(DiagramField::kPlotWidth);
  settings.plot_height = Size(DiagramField::kPlotHeight);
  settings.left_margin = Size(DiagramField::kLeftMargin);
  settings.bottom_margin = Size(DiagramField::kBottomMargin);
  settings.column_width = Size(DiagramField::kColumnWidth);
  settings.values_per_pixel = Size(DiagramField::kValuesPerPixel);
  settings.grid_lines = grid_lines_;
  return settings;
}

void DiagramForm::Write(DiagramField field, int64_t value) {
  texts_[Index(field)] = std::to_string(value);
}

void DiagramForm::WriteAll() {
  Write(DiagramField::kPlotWidth, scale_.plot_width);
  Write(DiagramField::kPlotHeight, scale_.plot_height);
  texts_[Index(DiagramField::kMaximum)] = FormatDiagramBound(scale_.maximum);
  texts_[Index(DiagramField::kMinimum)] = FormatDiagramBound(scale_.minimum);
  Write(DiagramField::kLeftMargin, scale_.left_margin);
  Write(DiagramField::kBottomMargin, scale_.bottom_margin);
  Write(DiagramField::kColumnWidth, scale_.column_width);
  Write(DiagramField::kValuesPerPixel, scale_.values_per_pixel);
}

}  // namespace wunt
