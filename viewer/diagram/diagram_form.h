#pragma once
// The text fields of the diagram tab and what leaving one of them does. The
// scale (maximum, minimum, values per pixel and the zero line) is kept as it
// was last coupled; a drawing reads the sizes from the fields as they stand.

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "viewer/diagram/diagram_model.h"

namespace wunt {

enum class DiagramField {
  kPlotWidth,      // "Breite:"
  kPlotHeight,     // "Höhe:"
  kMaximum,        // "max. Wert Y-Achse:"
  kMinimum,        // "min. Wert Y-Achse:"
  kLeftMargin,     // "Beschriftung X-Achse:"
  kBottomMargin,   // "Beschriftung Y-Achse:"
  kColumnWidth,    // "Breite einer 'Spalte':"
  kValuesPerPixel  // "Werte pro Pixel:"
};
inline constexpr int kDiagramFieldCount = 8;

inline constexpr int32_t kMaxGridLines = 999;

class DiagramForm {
 public:
  // The data the next drawings show. When it differs from the data the
  // fields were last started for, they start afresh with values that fit
  // it (StartDiagramSettings); true when they did.
  bool Show(DiagramData data, const TextMeasure& measure);
  const DiagramData& data() const { return data_; }

  // Field texts in Windows-1252.
  const std::string& text(DiagramField field) const { return texts_[Index(field)]; }
  // What the user typed; nothing follows until the field is left.
  void SetText(DiagramField field, std::string text) { texts_[Index(field)] = std::move(text); }
  int32_t grid_lines() const { return grid_lines_; }
  // The spin field; held to 0..kMaxGridLines.
  void SetGridLines(int32_t count);

  // The user left `field`: the fields coupled to it follow and are written
  // anew. A field whose text the arithmetic cannot use as it stands (a
  // height or values per pixel below 1, a size outside 1..kMaxDiagramSide,
  // a margin outside 0..kMaxDiagramSide) is written back with the value used.
  void Leave(DiagramField field);

  // What a drawing uses: the sizes (held to their ranges), values per pixel
  // and grid lines read from the fields, the maximum, minimum and zero line
  // as last coupled.
  DiagramSettings ForDrawing() const;

 private:
  void Couple(DiagramField field);
  static size_t Index(DiagramField field) { return static_cast<size_t>(field); }
  int32_t Size(DiagramField field) const { return ReadDiagramSize(text(field)); }
  void Write(DiagramField field, int64_t value);
  void WriteAll();

  DiagramData data_;
  bool started_ = false;
  DiagramSettings scale_;
  int32_t grid_lines_ = 0;
  std::array<std::string, kDiagramFieldCount> texts_;
};

}  // namespace wunt
