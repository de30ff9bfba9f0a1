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
  Couple(field);
  // A size beyond what a picture can have shows as the size that is drawn.
  const DiagramSettings used = ForDrawing();
  const std::pair<DiagramField, int32_t> sizes[] = {
      {DiagramField::kPlotWidth, used.plot_width},
      {DiagramField::kPlotHeight, used.plot_height},
      {DiagramField::kLeftMargin, used.left_margin},
      {DiagramField::kBottomMargin, used.bottom_margin},
      {DiagramField::kColumnWidth, used.column_width}};
  for (const auto& [size_field, value] : sizes) {
    if (ReadDiagramSize(text(size_field)) != value) Write(size_field, value);
  }
}

void DiagramForm::Couple(DiagramField field) {
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
  const auto side = [this](DiagramField field, int32_t low) {
    return std::clamp(Size(field), low, kMaxDiagramSide);
  };
  settings.plot_width = side(DiagramField::kPlotWidth, 1);
  settings.plot_height = side(DiagramField::kPlotHeight, 1);
  settings.left_margin = side(DiagramField::kLeftMargin, 0);
  settings.bottom_margin = side(DiagramField::kBottomMargin, 0);
  settings.column_width = side(DiagramField::kColumnWidth, 1);
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
