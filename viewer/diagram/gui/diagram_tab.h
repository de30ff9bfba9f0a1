#pragma once
// The wizard's fourth tab: the size and scale fields of a diagram of the
// result table, its preview and saving it as a bitmap. The arithmetic lives
// in DiagramForm and DrawDiagram; this is their face.

#include <QFont>
#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "viewer/diagram/diagram_form.h"
#include "viewer/diagram/diagram_model.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace wunt {

class DiagramTab : public QWidget {
 public:
  struct Controls {
    // In the order of DiagramField.
    std::array<QLineEdit*, kDiagramFieldCount> fields{};
    QSpinBox* grid_lines = nullptr;
    QPushButton* preview_button = nullptr;  // "neue Vorschau"
    QLineEdit* status = nullptr;
    QPushButton* back = nullptr;
    QPushButton* save = nullptr;  // "Speichern unter ..."
    QLabel* preview = nullptr;
  };

  // With a `page` the tab fills it; without one it is a window of its own.
  // `colors` is the season's palette, owned by the caller.
  explicit DiagramTab(const std::vector<ColorEntry>& colors, QWidget* page = nullptr);

  // The back button was clicked.
  void set_on_back(std::function<void()> on_back) { on_back_ = std::move(on_back); }

  // The tab is entered with the result table's data: the fields start
  // afresh when it changed since the last time, and the preview is drawn.
  void Open(DiagramData table_data);
  // "neue Vorschau".
  void Draw();
  // "Speichern unter ...": draws, asks for a name and saves the bitmap.
  void Save();

  const Controls& controls() const { return c_; }
  QLineEdit* field(DiagramField which) const { return c_.fields[static_cast<size_t>(which)]; }
  const DiagramForm& form() const { return form_; }
  // The last drawing at full size: what is saved.
  const QImage& full_image() const { return full_image_; }
  int drawings() const { return drawings_; }

 private:
  void FieldLeft(DiagramField which);
  void ShowFields();

  const std::vector<ColorEntry>& colors_;
  QFont font_;  // the drawing's default font
  TextMeasure measure_;
  DiagramForm form_;
  Controls c_;
  QImage full_image_;
  std::string too_large_;  // why the last drawing was not made, if it was not
  QSize preview_size_;     // taken at the first drawing
  int drawings_ = 0;
  std::function<void()> on_back_;
};

}  // namespace wunt
