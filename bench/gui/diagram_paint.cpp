// The diagram of 5,000 parks over 30 game years (lines): laying it out and
// painting it with QPainter, and painting the finished primitive list
// alone, against a bare QPainter drawing the same lines, boxes and texts
// from ready-made Qt values on an image of the same size.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/best_times.h"
#include "viewer/diagram/diagram_model.h"
#include "viewer/diagram/gui/diagram_painter.h"
#include "viewer/platform/app_info.h"

namespace {

constexpr int kRows = 5000;
constexpr int kYears = 30;
constexpr int32_t kStart = 1980;

QColor ToColor(uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

// The same picture as plain Qt values, converted before timing.
struct BarePicture {
  struct Line {
    QLine line;
    QPen pen;
  };
  struct Box {
    QRect rect;
    QColor color;
  };
  struct Text {
    QRect rect;
    QColor color;
    QString text;
  };
  std::vector<Line> lines;
  std::vector<Box> boxes;
  std::vector<Text> texts;
};

struct Workload {
  QFont font;
  wunt::TextMeasure measure = wunt::DiagramTextMeasure(font);
  std::vector<wunt::ColorEntry> colors;
  wunt::DiagramData data;
  wunt::DiagramSettings settings;
  wunt::DiagramPicture picture;
  BarePicture bare;

  Workload() {
    for (uint32_t c : {0x0000FFu, 0x00C000u, 0xFF0000u, 0x00A0FFu, 0x800080u, 0x808000u}) {
      colors.push_back(wunt::MakeColorEntry(c));
    }
    std::mt19937 rng(7);
    data.column_count = kYears;
    data.first_column = kStart;
    data.title = "Jahresumsatz";
    for (int i = 0; i < kRows; ++i) {
      wunt::DiagramRow& row = data.rows.emplace_back();
      row.name = "Freizeitpark M\xfchlental " + std::to_string(i);
      const int first = static_cast<int>(rng() % 5);
      row.values.resize(kYears);
      for (int y = first; y < kYears; ++y) {
        row.values[static_cast<size_t>(y)] = static_cast<int64_t>(rng() % 90000000);
      }
      row.legend_number = static_cast<int64_t>(rng() % 90000000);
    }
    settings = wunt::StartDiagramSettings(data, measure);
    picture = wunt::DrawDiagram(settings, data, colors, measure);
    for (const wunt::DiagramPrimitive& p : picture.primitives) {
      switch (p.kind) {
        case wunt::DiagramPrimitive::Kind::kLine:
          bare.lines.push_back({QLine(p.x, p.y, p.x2, p.y2), QPen(ToColor(p.color), 0)});
          break;
        case wunt::DiagramPrimitive::Kind::kBox:
          bare.boxes.push_back({QRect(p.x, p.y, p.x2, p.y2), ToColor(p.color)});
          break;
        case wunt::DiagramPrimitive::Kind::kText:
          bare.texts.push_back(
              {QRect(p.x, p.y, p.x2, p.y2), ToColor(p.color), wunt::FromCp1252(p.text)});
          break;
      }
    }
  }
};

const Workload& Data() {
  static const Workload workload;
  return workload;
}

void BM_BareQPainter(benchmark::State& state) {
  const Workload& w = Data();
  for (auto _ : state) {
    QImage image(w.picture.width, w.picture.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(w.font);
    for (const BarePicture::Line& line : w.bare.lines) {
      painter.setPen(line.pen);
      painter.drawLine(line.line);
    }
    for (const BarePicture::Box& box : w.bare.boxes) painter.fillRect(box.rect, box.color);
    for (const BarePicture::Text& text : w.bare.texts) {
      painter.setPen(text.color);
      painter.drawText(text.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text.text);
    }
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["lines"] = static_cast<double>(w.bare.lines.size());
}

void BM_PaintPrimitives(benchmark::State& state) {
  const Workload& w = Data();
  for (auto _ : state) {
    QImage image = wunt::PaintDiagramImage(w.picture, w.font);
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_DrawAndPaint(benchmark::State& state) {
  const Workload& w = Data();
  for (auto _ : state) {
    const wunt::DiagramPicture picture = wunt::DrawDiagram(w.settings, w.data, w.colors, w.measure);
    QImage image = wunt::PaintDiagramImage(picture, w.font);
    benchmark::DoNotOptimize(image.constBits());
  }
}

BENCHMARK(BM_BareQPainter)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PaintPrimitives)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DrawAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  // Fonts need the application, a display does not.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const Workload& w = Data();
  std::printf("diagram %d x %d, %zu lines, %zu boxes, %zu texts\n", w.picture.width,
              w.picture.height, w.bare.lines.size(), w.bare.boxes.size(), w.bare.texts.size());
  const double bare = reporter.Best("BM_BareQPainter").real;
  for (const char* name : {"BM_PaintPrimitives", "BM_DrawAndPaint"}) {
    const double ours = reporter.Best(name).real;
    if (ours > 0 && bare > 0) {
      std::printf("%s: %.1f ms, BM_BareQPainter %.1f ms, ratio %.2f\n", name, ours, bare,
                  ours / bare);
    }
  }
  benchmark::Shutdown();
  return 0;
}
