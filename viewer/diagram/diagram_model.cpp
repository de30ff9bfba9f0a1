#include "viewer/diagram/diagram_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/text.h"
#include "viewer/calc/number_format.h"
#include "viewer/calc/value_computation.h"

namespace wunt {
namespace {

// What the first preview aims at before labels widen it.
constexpr int64_t kStartPlotWidth = 600;
constexpr int64_t kStartPlotHeight = 300;
// The first chart is never flatter than this, so that a few equal values
// still show as a chart and not as a stripe.
constexpr int64_t kLeastStartPlotHeight = 100;
// A long legend stretches the first chart up to this height; beyond it the
// preview would shrink the chart to a sliver.
constexpr int64_t kMostLegendPlotHeight = 2 * kStartPlotHeight;
// Rotated bar labels longer than this go inside the chart instead of
// stretching the bottom strip.
constexpr int32_t kMaxLabelStrip = 480;
constexpr int kLegendTop = 20;
constexpr int kLegendStep = 18;

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int64_t ClampBound(int64_t value) {
  return std::clamp<int64_t>(value, -kMaxDiagramBound, kMaxDiagramBound);
}

int64_t ClampValuesPerPixel(int64_t value) {
  return std::clamp<int64_t>(value, 1, kMaxDiagramBound);
}

// a / b rounded up, for b > 0 (division truncates, which rounds negative
// quotients up already).
int64_t CeilDiv(int64_t a, int64_t b) { return a / b + (a % b > 0 ? 1 : 0); }
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

// The smallest of 1, 2, 5, 10, 20, 50 ... that is at least `value`.
int64_t RoundNumberAtLeast(int64_t value) {
  for (int64_t decade = 1;; decade *= 10) {
    for (int64_t factor : {1, 2, 5}) {
      if (factor * decade >= value) return factor * decade;
    }
    if (decade > kMaxDiagramBound) return decade * 10;
  }
}

// The largest of 1, 2, 5, 10, 20, 50 ... below `value`, for value > 1.
int64_t RoundNumberBelow(int64_t value) {
  int64_t below = 1;
  for (int64_t decade = 1; decade <= kMaxDiagramBound; decade *= 10) {
    for (int64_t factor : {1, 2, 5}) {
      if (factor * decade >= value) return below;
      below = factor * decade;
    }
  }
  return below;
}

void FollowValuesPerPixel(DiagramSettings& settings) {
  settings.zero_line = settings.maximum / settings.values_per_pixel - 1;
}

}  // namespace

int32_t ReadDiagramSize(std::string_view text) { return ToInt32(LeadingDecimal(text)); }

int64_t ReadDiagramBound(std::string_view text) {
  return ClampBound(LeadingDecimal(ReplaceAll(text, ".", "")));
}

std::string FormatDiagramBound(int64_t value) { return FormatThousands(value); }

DiagramData DiagramDataFromTable(const ResultTable& table, const TableView& view,
                                 const LoadedCalculation& calculation) {
  DiagramData data;
  auto label = [&calculation](size_t index) {
    return index < calculation.values.size() ? calculation.values[index].label : std::string();
  };
  const size_t value_count = calculation.values.size();
  if (view.content_kind == ContentKind::kYear) {
    data.variant = kDiagramBars;
    data.segment_count = static_cast<int32_t>(value_count);
    data.title = std::to_string(view.end_year);
    for (size_t j = 0; j < value_count; ++j) data.captions.push_back(label(j));
    for (const ResultRow& row : table.rows) {
      DiagramRow& bar = data.rows.emplace_back();
      bar.name = row.name;
      bar.values.resize(value_count);
      if (row.Slot(0) == nullptr) continue;
      for (size_t j = 0; j < value_count; ++j)
        bar.values[j] = row.Value(0, static_cast<int64_t>(j));
    }
    return data;
  }
  data.variant = kDiagramLines;
  // A column per game year, and never more columns than picture pixels.
  const int64_t years = std::clamp<int64_t>(
      static_cast<int64_t>(view.end_year) - view.start_year + 1, 0, kMaxDiagramSide);
  data.column_count = static_cast<int32_t>(years);
  data.first_column = view.start_year;
  auto line = [years](const ResultRow& row, size_t index) {
    DiagramRow result;
    result.values.resize(static_cast<size_t>(years));
    for (int64_t i = 0; i < years; ++i) {
      if (row.Slot(i) != nullptr) {
        result.values[static_cast<size_t>(i)] = row.Value(i, static_cast<int64_t>(index));
      }
    }
    return result;
  };
  if (view.content_kind == ContentKind::kPark) {
    if (table.rows.empty()) return data;
    const ResultRow& entity = table.rows.front();
    data.title = entity.name;
    for (size_t j = 0; j < value_count; ++j) {
      DiagramRow& row = data.rows.emplace_back(line(entity, j));
      row.name = label(j);
      row.legend_number = entity.Value(years - 1, static_cast<int64_t>(j));
    }
    return data;
  }
  data.title = label(0);
  for (const ResultRow& entity : table.rows) {
    DiagramRow& row = data.rows.emplace_back(line(entity, 0));
    row.name = entity.name;
    row.legend_number = entity.sort_key;
  }
  return data;
}

int64_t DiagramColumnDivisor(const DiagramData& data) {
  if (data.variant == kDiagramBars) return static_cast<int64_t>(data.rows.size());
  return static_cast<int64_t>(data.column_count) - 1;
}

void CoupleColumnWidth(DiagramSettings& settings, int64_t divisor) {
  if (divisor <= 0) return;
  settings.plot_width = ToInt32(static_cast<int64_t>(settings.column_width) * divisor);
}

void CouplePlotWidth(DiagramSettings& settings, int64_t divisor) {
  if (divisor <= 0) return;
  settings.column_width = ToInt32(settings.plot_width / divisor);
}

void CoupleValuesPerPixel(DiagramSettings& settings) {
  settings.values_per_pixel = ClampValuesPerPixel(settings.values_per_pixel);
  settings.maximum = ClampBound(settings.maximum);
  settings.minimum = ClampBound(settings.minimum);
  settings.plot_height =
      ToInt32(CeilDiv(settings.maximum - settings.minimum, settings.values_per_pixel));
  FollowValuesPerPixel(settings);
}

void CoupleScale(DiagramSettings& settings) {
  settings.maximum = ClampBound(settings.maximum);
  settings.minimum = ClampBound(settings.minimum);
  settings.plot_height = std::max(settings.plot_height, 1);
  settings.values_per_pixel =
      ClampValuesPerPixel(CeilDiv(settings.maximum - settings.minimum, settings.plot_height));
  FollowValuesPerPixel(settings);
}

DiagramSettings StartDiagramSettings(const DiagramData& data, const TextMeasure& measure) {
  // The range of everything drawn, zero included: empty columns and the
  // foot of every bar sit on the zero line.
  int64_t high = 0;
  int64_t low = 0;
  for (const DiagramRow& row : data.rows) {
    int64_t stacked = 0;
    for (const std::optional<int64_t>& value : row.values) {
      if (!value) continue;
      int64_t top = ClampBound(*value);
      if (data.variant == kDiagramBars) top = stacked = ClampBound(stacked + top);
      high = std::max(high, top);
      low = std::min(low, top);
    }
  }
  // The legend lies over the chart's top left corner and ends where the
  // chart does: the chart is at least as high as the legend.
  const size_t legend_entries =
      data.variant == kDiagramBars ? data.captions.size() : data.rows.size();
  const int64_t least_height = std::clamp<int64_t>(
      kLegendTop + kLegendStep * static_cast<int64_t>(std::min<size_t>(legend_entries, 1000)),
      kLeastStartPlotHeight, kMostLegendPlotHeight);
  DiagramSettings settings;
  // A round step of at most a tenth of the range; the bounds are multiples
  // of it and every grid line lies on one. A range of fewer values than
  // the chart has pixels is widened, since a value cannot take more than
  // one pixel: small or equal values still get a chart of full height.
  const int64_t step = RoundNumberAtLeast(CeilDiv(std::max(high - low, least_height), 10));
  // The top edge stands for the row above the chart (zero line = maximum /
  // values per pixel - 1), so the maximum lies strictly above every value.
  settings.maximum = FloorDiv(high, step) * step + step;
  settings.minimum = FloorDiv(low, step) * step;
  if (settings.maximum - settings.minimum < least_height) {
    settings.maximum = settings.minimum + CeilDiv(least_height, step) * step;
  }
  const int64_t range = settings.maximum - settings.minimum;
  settings.grid_lines = static_cast<int32_t>(range / step);
  settings.values_per_pixel = RoundNumberAtLeast(CeilDiv(range, kStartPlotHeight));
  while (settings.values_per_pixel > 1 &&
         CeilDiv(range, settings.values_per_pixel) < least_height) {
    settings.values_per_pixel = RoundNumberBelow(settings.values_per_pixel);
  }
  CoupleValuesPerPixel(settings);

  const PixelSize digit = measure("0");
  int32_t widest_bound = std::max(measure(FormatThousands(settings.maximum)).width,
                                  measure(FormatThousands(settings.minimum)).width);
  // Grid labels start at x = 10.
  settings.left_margin = 10 + std::max(widest_bound, digit.width) + 8;

  int32_t widest_legend = 0;
  if (data.variant == kDiagramBars) {
    for (const std::string& caption : data.captions) {
      widest_legend = std::max(widest_legend, measure(caption).width);
    }
  } else {
    for (const DiagramRow& row : data.rows) {
      std::string text = row.name + ": " + FormatThousands(row.legend_number);
      widest_legend = std::max(widest_legend, measure(text).width);
    }
  }
  // Wide enough for the legend, and near the aimed-at width.
  const int64_t divisor = DiagramColumnDivisor(data);
  const int64_t columns = std::max<int64_t>(divisor, 1);
  const int64_t least_width = std::max<int64_t>(kStartPlotWidth, 40 + widest_legend + 10);
  int64_t column_width = CeilDiv(least_width, columns);
  if (data.variant == kDiagramBars) {
    // Room for a bar's frame and its rotated label.
    column_width = std::max<int64_t>(column_width, std::max(digit.height + 4, 8));
    int32_t widest_name = 0;
    for (const DiagramRow& row : data.rows) {
      widest_name = std::max(widest_name, measure(row.name).width);
    }
    settings.bottom_margin = widest_name + 4 <= kMaxLabelStrip ? widest_name + 4 : 3 * digit.height;
  } else {
    // Alternating label rows leave room for a year every other column.
    column_width = std::max<int64_t>(column_width, measure("0000").width / 2 + 4);
    settings.bottom_margin = 3 * digit.height;
  }
  settings.bottom_margin = std::max(settings.bottom_margin, 24);
  const int64_t room = kMaxDiagramSide - settings.left_margin;
  if (divisor > 0) {
    column_width = std::clamp<int64_t>(column_width, 1, std::max<int64_t>(room / divisor, 1));
    settings.column_width = static_cast<int32_t>(column_width);
    CoupleColumnWidth(settings, divisor);
  } else {
    settings.column_width = static_cast<int32_t>(std::min(least_width, room));
    settings.plot_width = settings.column_width;
  }
  return settings;
}

namespace {

// Collects primitives, dropping or clipping whatever falls outside the
// picture so that no coordinate leaves it far behind.
class PrimitiveList {
 public:
  explicit PrimitiveList(DiagramPicture& picture) : picture_(picture) {}

  // Both ends drawn.
  void Line(double x1, double y1, double x2, double y2, uint32_t color) {
    // Liang-Barsky against the picture's pixel rectangle.
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t0 = 0;
    double t1 = 1;
    auto clip = [&t0, &t1](double p, double q) {
      if (p == 0) return q >= 0;
      double t = q / p;
      if (p < 0) {
        if (t > t1) return false;
        t0 = std::max(t0, t);
      } else {
        if (t < t0) return false;
        t1 = std::min(t1, t);
      }
      return true;
    };
    if (!clip(-dx, x1) || !clip(dx, picture_.width - 1 - x1) || !clip(-dy, y1) ||
        !clip(dy, picture_.height - 1 - y1)) {
      return;
    }
    DiagramPrimitive& line = Add(DiagramPrimitive::Kind::kLine, color);
    line.x = static_cast<int32_t>(std::lround(x1 + t0 * dx));
    line.y = static_cast<int32_t>(std::lround(y1 + t0 * dy));
    line.x2 = static_cast<int32_t>(std::lround(x1 + t1 * dx));
    line.y2 = static_cast<int32_t>(std::lround(y1 + t1 * dy));
  }

  void HorizontalLine(int64_t x, int64_t y, int64_t length, uint32_t color) {
    if (length > 0) Line(Dbl(x), Dbl(y), Dbl(x + length - 1), Dbl(y), color);
  }
  void VerticalLine(int64_t x, int64_t y, int64_t length, uint32_t color) {
    if (length > 0) Line(Dbl(x), Dbl(y), Dbl(x), Dbl(y + length - 1), color);
  }

  void Box(int64_t x, int64_t y, int64_t width, int64_t height, uint32_t color) {
    int64_t left = std::max<int64_t>(x, 0);
    int64_t top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>(x + width, picture_.width);
    int64_t bottom = std::min<int64_t>(y + height, picture_.height);
    if (left >= right || top >= bottom) return;
    DiagramPrimitive& box = Add(DiagramPrimitive::Kind::kBox, color);
    box.x = static_cast<int32_t>(left);
    box.y = static_cast<int32_t>(top);
    box.x2 = static_cast<int32_t>(right - left);
    box.y2 = static_cast<int32_t>(bottom - top);
  }

  void Text(int64_t x, int64_t y, std::string text, PixelSize size, uint32_t color,
            std::optional<uint32_t> background, bool rotated = false) {
    if (x >= picture_.width || y >= picture_.height || x + size.width <= 0 ||
        y + size.height <= 0) {
      return;
    }
    DiagramPrimitive& label = Add(DiagramPrimitive::Kind::kText, color);
    label.x = static_cast<int32_t>(x);
    label.y = static_cast<int32_t>(y);
    label.x2 = size.width;
    label.y2 = size.height;
    label.text = std::move(text);
    label.background = background;
    label.rotated = rotated;
  }

 private:
  static double Dbl(int64_t value) { return static_cast<double>(value); }

  DiagramPrimitive& Add(DiagramPrimitive::Kind kind, uint32_t color) {
    DiagramPrimitive& primitive = picture_.primitives.emplace_back();
    primitive.kind = kind;
    primitive.color = color;
    return primitive;
  }

  DiagramPicture& picture_;
};

// The colour table taken entry after entry, starting again after the last.
class Palette {
 public:
  explicit Palette(const std::vector<ColorEntry>& colors) : colors_(colors) {}
  ColorEntry Next() {
    if (colors_.empty()) return MakeColorEntry(kDiagramBlack);
    const ColorEntry& entry = colors_[next_];
    next_ = (next_ + 1) % colors_.size();
    return entry;
  }
  void Restart() { next_ = 0; }

 private:
  const std::vector<ColorEntry>& colors_;
  size_t next_ = 0;
};

// Everything one drawing reads, with values per pixel of at least 1.
struct Frame {
  int64_t left;
  int64_t bottom;
  int64_t plot_width;
  int64_t plot_height;
  int64_t column_width;
  int64_t values_per_pixel;
  int64_t zero;
  int64_t maximum;
};

constexpr std::optional<uint32_t> kOpaque = kDiagramWhite;

// Pixel offsets far beyond any picture are all alike once clipped; keeping
// them there leaves the arithmetic on them room to never overflow.
constexpr int64_t kFarPixels = int64_t{1} << 40;

int64_t Pixels(int64_t raw, int64_t values_per_pixel) {
  return std::clamp(raw / values_per_pixel, -kFarPixels, kFarPixels);
}

// Sums shown in the status field; garbage values saturate instead of wrapping.
int64_t AddSaturated(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

void DrawGridLines(const Frame& f, int32_t grid_lines, int32_t picture_height,
                   const TextMeasure& measure, PrimitiveList& out) {
  if (grid_lines <= 0) return;
  const auto step = static_cast<int64_t>(static_cast<double>(f.plot_height) / grid_lines);
  if (step <= 0) return;
  // The first grid row at or below the top that lies a whole number of
  // steps from the zero line, wherever the zero line is.
  int64_t y = f.zero % step;
  if (y < 0) y += step;
  const int64_t end = std::min<int64_t>(f.plot_height, picture_height);
  for (; y < end; y += step) {
    out.HorizontalLine(f.left, y, f.plot_width, kDiagramGrey);
    if (y == f.zero) {
      out.Text(10, y - 4, "0", measure("0"), kDiagramGrey, kOpaque);
    } else {
      std::string text = FormatThousands(f.maximum - (y + 1) * f.values_per_pixel);
      PixelSize size = measure(text);
      out.Text(10, y < 4 ? 1 : y - 4, std::move(text), size, kDiagramBlack, kOpaque);
    }
  }
}

void ClearBottomMargin(const Frame& f, PrimitiveList& out) {
  out.Box(f.left, f.plot_height, f.plot_width, f.bottom, kDiagramWhite);
}

void DrawTitle(const Frame& f, const std::string& title, const TextMeasure& measure,
               PrimitiveList& out) {
  PixelSize size = measure(title);
  out.Text(f.left + f.plot_width / 2 - size.width / 2, 10, title, size, kDiagramBlack, kOpaque);
}

// Returns the sum of the last column's values.
int64_t DrawLines(const Frame& f, const DiagramData& data, Palette& palette, PrimitiveList& out) {
  int64_t total = 0;
  const int64_t columns = data.column_count;
  for (const DiagramRow& row : data.rows) {
    const ColorEntry color = palette.Next();
    int64_t previous = 0;
    for (int64_t i = 0; i < columns; ++i) {
      int64_t v = 0;
      if (i < static_cast<int64_t>(row.values.size()) && row.values[static_cast<size_t>(i)]) {
        int64_t raw = *row.values[static_cast<size_t>(i)];
        v = Pixels(raw, f.values_per_pixel);
        if (i == columns - 1) total = AddSaturated(total, raw);
      }
      if (i >= 1 && (v != 0 || previous != 0)) {
        const double x1 = static_cast<double>((i - 1) * f.column_width + f.left);
        const double x2 = static_cast<double>(i * f.column_width + f.left);
        const double from = static_cast<double>(f.zero - previous);
        const double to = static_cast<double>(f.zero - v);
        out.Line(x1, from - 1, x2, to - 1, color.light);
        out.Line(x1, from, x2, to, color.base);
        out.Line(x1, from + 1, x2, to + 1, color.light);
      }
      previous = v;
    }
  }
  return total;
}

void DrawColumnLabels(const Frame& f, const DiagramData& data, const TextMeasure& measure,
                      PrimitiveList& out) {
  // Narrow columns put the years on two alternating rows.
  const bool alternate = f.column_width < 2 * static_cast<int64_t>(measure("0000").width);
  int64_t offset = 0;
  const int64_t columns = data.column_count;
  for (int64_t i = 0; i < columns; ++i) {
    std::string text = std::to_string(data.first_column + i);
    PixelSize size = measure(text);
    const bool last = i == columns - 1;
    // The last year ends at the right edge instead of spilling over it.
    int64_t x = i * f.column_width - (last ? size.width : size.width / 2) + f.left;
    out.Text(x, f.plot_height + f.bottom / 8 + offset, std::move(text), size, kDiagramBlack,
             kOpaque);
    if (alternate) offset = f.bottom / 2 - f.bottom / 8 - offset;
  }
}

// Returns the status text.
std::string DrawBars(const Frame& f, const DiagramData& data, Palette& palette,
                     const TextMeasure& measure, PrimitiveList& out) {
  std::string status;
  std::vector<PixelSize> name_sizes;
  name_sizes.reserve(data.rows.size());
  int32_t widest = 0;
  for (size_t c = 0; c < data.rows.size(); ++c) {
    const DiagramRow& row = data.rows[c];
    const int64_t x = static_cast<int64_t>(c) * f.column_width + f.left;
    palette.Restart();
    int64_t y = f.zero;
    int64_t sum = 0;
    for (int64_t j = 0; j < data.segment_count; ++j) {
      const ColorEntry color = palette.Next();
      if (j >= static_cast<int64_t>(row.values.size()) || !row.values[static_cast<size_t>(j)]) {
        continue;
      }
      const int64_t raw = *row.values[static_cast<size_t>(j)];
      sum = AddSaturated(sum, raw);
      const int64_t h = Pixels(raw, f.values_per_pixel);
      const int64_t top = h > 0 ? y - h : y;
      y = std::clamp(y - h, -kFarPixels, kFarPixels);
      if (h == 0) continue;
      // A dark frame round the base shade, open towards the previous
      // segment; negative segments hang below the zero line.
      const int64_t height = h > 0 ? h : -h;
      out.Box(x + 2, top, f.column_width - 4, height, color.dark);
      out.Box(x + 3, top + (h > 0 ? 1 : 0), f.column_width - 6, height - 1, color.base);
    }
    name_sizes.push_back(measure(row.name));
    widest = std::max(widest, name_sizes.back().width);
    status += row.name + ":\t" + FormatThousands(sum) + "\r\n";
  }
  ClearBottomMargin(f, out);
  for (size_t c = 0; c < data.rows.size(); ++c) {
    // Reads from bottom to top: the text's width becomes the label's height.
    const PixelSize rotated{name_sizes[c].height, name_sizes[c].width};
    const int64_t x =
        static_cast<int64_t>(c) * f.column_width + f.column_width / 2 - rotated.width / 2 + f.left;
    const int64_t y =
        widest < f.bottom - 3 ? f.plot_height + 3 : f.plot_height - rotated.height - 2;
    out.Text(x, y, data.rows[c].name, rotated, kDiagramBlack, kOpaque, true);
  }
  DrawTitle(f, data.title, measure, out);
  return status;
}

void DrawAxes(const Frame& f, PrimitiveList& out) {
  out.HorizontalLine(f.left, f.zero, f.plot_width, kDiagramBlack);
  for (int64_t d = -1; d <= 1; ++d) {
    out.HorizontalLine(f.left, f.plot_height + d, f.plot_width, kDiagramBlack);
  }
  for (int64_t d = -1; d <= 1; ++d) {
    out.VerticalLine(f.left + d, 0, f.plot_height, kDiagramBlack);
  }
}

void DrawLegend(const Frame& f, const DiagramData& data, int32_t picture_height, Palette& palette,
                const TextMeasure& measure, PrimitiveList& out) {
  palette.Restart();
  int64_t y = kLegendTop;
  auto entry = [&](std::string text) {
    out.Box(f.left + 28, y + 3, 10, 10, palette.Next().base);
    PixelSize size = measure(text);
    out.Text(f.left + 40, y, std::move(text), size, kDiagramBlack, std::nullopt);
    y += kLegendStep;
  };
  if (data.variant == kDiagramBars) {
    for (const std::string& caption : data.captions) {
      if (y >= picture_height) return;
      entry(caption);
    }
  } else {
    for (const DiagramRow& row : data.rows) {
      if (y >= picture_height) return;  // the rest would lie below the picture
      entry(row.name + ": " + FormatThousands(row.legend_number));
    }
  }
}

}  // namespace

PixelSize DiagramPictureSize(const DiagramSettings& settings) {
  const auto side = [](int64_t margin, int64_t plot) {
    return static_cast<int32_t>(std::clamp<int64_t>(margin + plot, 1, kMaxDiagramSide));
  };
  return {side(settings.left_margin, settings.plot_width),
          side(settings.bottom_margin, settings.plot_height)};
}

std::string DiagramTooLargeText(const DiagramSettings& settings) {
  const PixelSize size = DiagramPictureSize(settings);
  const int64_t pixels = static_cast<int64_t>(size.width) * size.height;
  if (pixels <= kMaxDiagramPixels) return {};
  return "Das Diagramm w\xe4re " + std::to_string(size.width) + " x " +
         std::to_string(size.height) + " Pixel gro\xdf (" + FormatThousands(pixels) +
         " Pixel); ein Bild kann h\xf6"
         "chstens " +
         FormatThousands(kMaxDiagramPixels) +
         " Pixel haben. Bitte Breite, H\xf6he oder Beschriftung verkleinern.";
}

DiagramPicture DrawDiagram(const DiagramSettings& settings, const DiagramData& data,
                           const std::vector<ColorEntry>& colors, const TextMeasure& measure) {
  const Frame f{.left = settings.left_margin,
                .bottom = settings.bottom_margin,
                .plot_width = settings.plot_width,
                .plot_height = settings.plot_height,
                .column_width = settings.column_width,
                .values_per_pixel = ClampValuesPerPixel(settings.values_per_pixel),
                .zero = std::clamp(settings.zero_line, -kFarPixels, kFarPixels),
                .maximum = ClampBound(settings.maximum)};
  DiagramPicture picture;
  const PixelSize size = DiagramPictureSize(settings);
  picture.width = size.width;
  picture.height = size.height;
  PrimitiveList out(picture);
  Palette palette(colors);

  DrawGridLines(f, settings.grid_lines, picture.height, measure, out);
  if (data.variant == kDiagramLines) {
    const int64_t total = DrawLines(f, data, palette, out);
    ClearBottomMargin(f, out);
    DrawColumnLabels(f, data, measure, out);
    DrawTitle(f, data.title, measure, out);
    picture.status = data.title + ":\t" + FormatThousands(total);
  } else if (data.variant == kDiagramBars) {
    picture.status = DrawBars(f, data, palette, measure, out);
  } else {
    ClearBottomMargin(f, out);
  }
  DrawAxes(f, out);
  DrawLegend(f, data, picture.height, palette, measure, out);
  return picture;
}

PixelSize DiagramPreviewSize(int32_t image_width, int32_t image_height, int32_t view_width,
                             int32_t view_height) {
  if (image_width <= 0 || image_height <= 0 || view_width <= 0 || view_height <= 0) return {};
  const double scale = std::min(static_cast<double>(view_width) / image_width,
                                static_cast<double>(view_height) / image_height);
  return {static_cast<int32_t>(std::lround(image_width * scale)),
          static_cast<int32_t>(std::lround(image_height * scale))};
}

std::string DiagramFileName(std::string name) {
  constexpr std::string_view kExtension = ".bmp";
  if (name.empty()) return name;
  if (name.size() >= kExtension.size() &&
      EqualsIgnoreCaseAZ(std::string_view(name).substr(name.size() - kExtension.size()),
                         kExtension)) {
    return name;
  }
  return name + std::string(kExtension);
}

}  // namespace wunt
