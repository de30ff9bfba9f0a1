#include "viewer/diagram/gui/diagram_tab.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>
#include <string>

#include "common/raster_image.h"
#include "viewer/diagram/gui/diagram_painter.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

constexpr char kBack[] = "< < < < < < <";

struct FieldPlace {
  DiagramField field;
  const char* label;  // UTF-8
  int x;              // of the label; the field follows at x + label width
  int y;              // of the field; the label sits 3 lower
  int label_width;
  int field_width;
  bool numeric;
};

constexpr FieldPlace kFieldPlaces[] = {
    {DiagramField::kPlotWidth, "Breite:", 40, 40, 110, 80, true},
    {DiagramField::kPlotHeight, "Höhe:", 40, 65, 110, 80, true},
    {DiagramField::kMaximum, "max. Wert Y-Achse:", 40, 90, 110, 80, false},
    {DiagramField::kMinimum, "min. Wert Y-Achse:", 40, 115, 110, 80, false},
    {DiagramField::kLeftMargin, "Beschriftung X-Achse:", 40, 140, 110, 80, true},
    {DiagramField::kBottomMargin, "Beschriftung Y-Achse:", 40, 165, 110, 80, true},
    {DiagramField::kColumnWidth, "Breite einer 'Spalte':", 295, 40, 120, 100, true},
    {DiagramField::kValuesPerPixel, "Werte pro Pixel:", 295, 65, 120, 100, true},
};

// The status of bars lists one row a line; the field has one line.
QString StatusLine(const std::string& status) {
  QString line = FromCp1252(status).trimmed();
  line.replace(QStringLiteral("\r\n"), QStringLiteral("; "));
  line.replace(QLatin1Char('\t'), QLatin1Char(' '));
  return line;
}

}  // namespace

DiagramTab::DiagramTab(const std::vector<ColorEntry>& colors, QWidget* page)
    : QWidget(page), colors_(colors), measure_(DiagramTextMeasure(font_)) {
  Place(new QGroupBox(QStringLiteral("Diagrammmaße (absolut)"), this), 25, 15, 230, 180);
  Place(new QGroupBox(QStringLiteral("Diagrammmaße (relativ)"), this), 280, 15, 260, 90);
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  for (const FieldPlace& place : kFieldPlaces) {
    Place(new QLabel(QString::fromUtf8(place.label), this), place.x, place.y + 3, place.label_width,
          17);
    auto* edit =
        Place(new QLineEdit(this), place.x + place.label_width, place.y, place.field_width, 20);
    if (place.numeric) edit->setValidator(digits);
    const DiagramField which = place.field;
    connect(edit, &QLineEdit::editingFinished, this, [this, which] { FieldLeft(which); });
    c_.fields[static_cast<size_t>(which)] = edit;
  }
  Place(new QLabel(QStringLiteral("Anzahl Hilfslinien:"), this), 295, 123, 100, 17);
  c_.grid_lines = Place(new QSpinBox(this), 395, 120, 50, 20);
  c_.grid_lines->setRange(0, kMaxGridLines);
  c_.preview_button =
      Place(new QPushButton(QStringLiteral("neue Vorschau"), this), 455, 120, 100, 20);
  c_.status = Place(new QLineEdit(this), 280, 145, 310, 20);
  c_.status->setReadOnly(true);
  c_.back = Place(new QPushButton(QString::fromUtf8(kBack), this), 280, 170, 120, 25);
  c_.save = Place(new QPushButton(QStringLiteral("Speichern unter ..."), this), 460, 170, 120, 25);
  auto* caption =
      Place(new QLabel(QStringLiteral("- Vorschau - (Im normallfall handelt es sich um ein stark "
                                      "verkleinertes Bild)  - Vorschau -"),
                       this),
            10, 203, 575, 17);
  caption->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  auto* frame = Place(new QFrame(this), 9, 219, 577, 152);
  frame->setFrameStyle(QFrame::Box | QFrame::Plain);
  c_.preview = Place(new QLabel(frame), 0, 0, 575, 150);
  c_.preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  connect(c_.grid_lines, &QSpinBox::valueChanged, this,
          [this](int count) { form_.SetGridLines(count); });
  connect(c_.preview_button, &QPushButton::clicked, this, [this] { Draw(); });
  connect(c_.back, &QPushButton::clicked, this, [this] {
    if (on_back_) on_back_();
  });
  connect(c_.save, &QPushButton::clicked, this, [this] { Save(); });

  if (page != nullptr) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this);
  } else {
    setWindowTitle(WindowTitle());
    SetFixedDialogSize(this, 600, 380);
    OrderFocusByPosition(this);
    FitToScreen(this);
  }
}

void DiagramTab::Open(DiagramData table_data) {
  if (form_.Show(std::move(table_data), measure_)) {
    ShowFields();
  }
  Draw();
}

void DiagramTab::Draw() {
  // The fields as they stand, left or not.
  for (size_t i = 0; i < c_.fields.size(); ++i) {
    form_.SetText(static_cast<DiagramField>(i), ToCp1252(c_.fields[i]->text()));
  }
  form_.SetGridLines(c_.grid_lines->value());
  // The view takes the size of what it shows, so its own is taken once.
  if (preview_size_.isEmpty()) preview_size_ = c_.preview->size();
  const DiagramSettings settings = form_.ForDrawing();
  too_large_ = DiagramTooLargeText(settings);
  if (!too_large_.empty()) {
    // Not even tried: the picture could be neither painted nor saved.
    full_image_ = QImage();
    c_.preview->clear();
    c_.status->setText(FromCp1252(too_large_));
    c_.status->setCursorPosition(0);
    ++drawings_;
    return;
  }
  const DiagramPicture picture = DrawDiagram(settings, form_.data(), colors_, measure_);
  full_image_ = PaintDiagramImage(picture, font_);
  const PixelSize size = DiagramPreviewSize(full_image_.width(), full_image_.height(),
                                            preview_size_.width(), preview_size_.height());
  if (size.width > 0 && size.height > 0) {
    c_.preview->setPixmap(QPixmap::fromImage(full_image_.scaled(
        size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  } else {
    c_.preview->clear();
  }
  c_.status->setText(StatusLine(picture.status));
  c_.status->setCursorPosition(0);  // the status reads from its start
  ++drawings_;
}

void DiagramTab::Save() {
  Draw();
  const QString file = FileDialogs::SaveFileName(this, QStringLiteral("WUNT 2.0 - Viewer"),
                                                 QString(), {QStringLiteral("Bitmap"), {"bmp"}});
  if (file.isEmpty()) return;
  const std::filesystem::path path(DiagramFileName(ToPath(file).string()));
  QString why;
  if (!too_large_.empty()) {
    why = FromCp1252(too_large_);
  } else if (full_image_.isNull() || !SaveBmp(ToRasterImage(full_image_), path)) {
    why = QStringLiteral(
              "Die Datei %1 konnte nicht geschrieben werden (Ordner schreibgeschützt "
              "oder Datenträger voll?).")
              .arg(FromPath(path));
  }
  if (!why.isEmpty()) {
    MessageBoxes::Show(this, WindowTitle(), QStringLiteral("Konnte Bild nicht speichern!\n") + why);
  }
}

void DiagramTab::FieldLeft(DiagramField which) {
  form_.SetText(which, ToCp1252(field(which)->text()));
  form_.Leave(which);
  ShowFields();
}

void DiagramTab::ShowFields() {
  for (size_t i = 0; i < c_.fields.size(); ++i) {
    const QString text = FromCp1252(form_.text(static_cast<DiagramField>(i)));
    if (c_.fields[i]->text() != text) c_.fields[i]->setText(text);
  }
  const QSignalBlocker block(c_.grid_lines);
  c_.grid_lines->setValue(form_.grid_lines());
}

}  // namespace wunt
