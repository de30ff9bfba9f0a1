#pragma once
// The attraction catalogue: every attraction of a game year scored by the
// user's weights, with category filter, ticks (the building list), the
// launches of next year marked, and each attraction's description and
// picture. The figures, order and colours come from CatalogueModel; this
// window forwards the controls' events and draws what the model says.

#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "viewer/attractions/catalogue_session.h"
#include "viewer/attractions/catalogue_settings.h"
#include "viewer/platform/gui_message_sink.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTreeWidget;

namespace wunt {

// The window's object name, to find it among a parent's children.
inline constexpr char kCatalogueWindowName[] = "CatalogueWindow";

class CatalogueWindow : public QWidget {
 public:
  struct Controls {
    QTreeWidget* list = nullptr;
    // The seven categories in bit order, then "Alle".
    std::array<QCheckBox*, kCategoryCount + 1> categories{};
    QCheckBox* mark_new = nullptr;
    QComboBox* year = nullptr;
    std::array<QCheckBox*, kWeightTermCount> terms{};  // by WeightTerm
    std::array<QSpinBox*, kSpinCount> spins{};         // by Spin
    QScrollArea* picture_area = nullptr;
    QLabel* picture = nullptr;
    QPlainTextEdit* description = nullptr;
    QPushButton* rebuild = nullptr;
    QPushButton* close = nullptr;
  };

  // The catalogue of the season in `season_folder`, on its last game year.
  CatalogueWindow(const std::filesystem::path& season_folder, int32_t season,
                  QWidget* parent = nullptr);
  ~CatalogueWindow() override;

  // Called once the window has been closed (its settings saved).
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

  const Controls& controls() const { return c_; }
  const CatalogueSession& session() const { return *session_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildCategories();
  void BuildWeights();
  void ShowSettings();
  void ShowCategories();
  // Refills the rows from the model; the selection, description and
  // picture are cleared.
  void FillList();
  void ColourRows();
  void ColourRow(int row);
  void ShowSelected();
  std::optional<size_t> SelectedRow() const;
  void CopySelectedRows();

  CatalogueModel& model() { return session_->model(); }

  GuiMessageSink sink_;
  std::unique_ptr<CatalogueSession> session_;
  Controls c_;
  std::function<void()> on_closed_;
  bool closed_ = false;
};

}  // namespace wunt
