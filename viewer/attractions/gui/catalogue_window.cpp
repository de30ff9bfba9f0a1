#include "viewer/attractions/gui/catalogue_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QTreeWidget>

#include "viewer/attractions/gui/raster_qimage.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

// A spin field whose text is the weight's display ("20 Jahre", "1.00 %").
// The text is not typed into; arrows, keys and the wheel change the value.
class WeightSpin : public QSpinBox {
 public:
  WeightSpin(Spin spin, QWidget* parent) : QSpinBox(parent), spin_(spin) {
    const SpinLimits& limits = SpinLimitsOf(spin);
    setRange(limits.minimum, limits.maximum);
    lineEdit()->setReadOnly(true);
  }

 protected:
  QString textFromValue(int value) const override {
    return FromCp1252(SpinDisplayText(spin_, value));
  }
  // The shown text always belongs to the current value.
  int valueFromText(const QString&) const override { return value(); }
  QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

 private:
  Spin spin_;
};

QColor ToQColor(Rgb color) { return QColor(color.r, color.g, color.b); }

// Rows of the weights frame, top to bottom, by the term each belongs to.
constexpr std::array<WeightTerm, kSpinCount> kWeightRows = {
    kTermPurchase,   kTermStaff,   kTermGround,  kTermMaintenance, kTermCapacity,
    kTermAtmosphere, kTermTargetA, kTermTargetB, kTermTargetC};

}  // namespace

CatalogueWindow::CatalogueWindow(const std::filesystem::path& season_folder, int32_t season,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      sink_(this) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(kCatalogueWindowName);
  setWindowTitle(WindowTitle("Attraktionen"));
  setFixedSize(DialogUnits(this).Size(985, 620));
  {
    MessageBatch batch(sink_);
    session_ = std::make_unique<CatalogueSession>(season_folder, season, sink_);
  }

  c_.list = Place(new QTreeWidget(this), 10, 10, 965, 300);
  c_.list->setRootIsDecorated(false);
  c_.list->setSelectionBehavior(QAbstractItemView::SelectRows);
  c_.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  c_.list->setColumnCount(kCatalogueColumnCount);
  QStringList headers;
  for (int i = 0; i < kCatalogueColumnCount; ++i) {
    headers << FromCp1252(CatalogueColumnOf(i).header);
  }
  c_.list->setHeaderLabels(headers);
  QHeaderView* header = c_.list->header();
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  const DialogUnits units(c_.list);
  for (int i = 0; i < kCatalogueColumnCount; ++i) {
    header->resizeSection(i, units.X(CatalogueColumnOf(i).width));
  }

  BuildCategories();
  c_.mark_new =
      Place(new QCheckBox(QStringLiteral("Neuheiten des Jahrs markieren"), this), 10, 555, 200, 20);
  c_.year = Place(new QComboBox(this), 10, 580, 200, 20);
  for (int32_t year : session_->years()) c_.year->addItem(QString::number(year));
  c_.year->setCurrentIndex(c_.year->count() - 1);
  BuildWeights();

  Place(new QGroupBox(QStringLiteral("Bild"), this), 550, 325, 180, 280);
  c_.picture_area = Place(new QScrollArea(this), 565, 345, 150, 250);
  c_.picture = new QLabel;
  c_.picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c_.picture_area->setWidget(c_.picture);
  Place(new QGroupBox(QStringLiteral("Beschreibung"), this), 740, 325, 235, 200);
  c_.description = Place(new QPlainTextEdit(this), 755, 345, 205, 170);
  c_.description->setReadOnly(true);
  c_.rebuild =
      Place(new QPushButton(QStringLiteral("Liste neu erstellen"), this), 740, 545, 235, 25);
  c_.close = Place(new QPushButton(QStringLiteral("Schließen"), this), 740, 575, 235, 25);

  ShowSettings();
  FillList();

  connect(c_.list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column != 0) return;
    const int row = c_.list->indexOfTopLevelItem(item);
    model().SetTicked(static_cast<size_t>(row), item->checkState(0) == Qt::Checked);
    ColourRow(row);
  });
  connect(c_.list, &QTreeWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    model().SortByColumn(column);
    FillList();
  });
  auto* copy = new QShortcut(QKeySequence::Copy, c_.list);
  copy->setContext(Qt::WidgetShortcut);
  connect(copy, &QShortcut::activated, this, [this] { CopySelectedRows(); });
  connect(c_.mark_new, &QCheckBox::clicked, this, [this](bool on) {
    model().SetMarkNew(on);
    ColourRows();
  });
  connect(c_.year, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    {
      MessageBatch batch(sink_);
      session_->SelectYear(session_->years()[static_cast<size_t>(index)]);
    }
    FillList();
  });
  connect(c_.rebuild, &QPushButton::clicked, this, [this] {
    model().Rebuild();
    FillList();
  });
  connect(c_.close, &QPushButton::clicked, this, [this] { close(); });
  OrderFocusByPosition(this);
  FitToScreen(this);
}

CatalogueWindow::~CatalogueWindow() = default;

void CatalogueWindow::BuildCategories() {
  Place(new QGroupBox(QStringLiteral("Kategorien"), this), 10, 325, 200, 225);
  for (int bit = 0; bit <= kCategoryCount; ++bit) {
    const QString label =
        bit < kCategoryCount ? FromCp1252(CategoryLabel(bit)) : FromCp1252(kAllCategoriesLabel);
    QCheckBox* box = Place(new QCheckBox(label, this), 25, 350 + 25 * bit, 170, 20);
    c_.categories[static_cast<size_t>(bit)] = box;
    connect(box, &QCheckBox::clicked, this, [this, bit](bool on) {
      model().SetCategory(bit, on);
      ShowCategories();
      FillList();
    });
  }
}

void CatalogueWindow::BuildWeights() {
  Place(new QGroupBox(QStringLiteral("Gewichtung der Parameter"), this), 235, 325, 300, 275);
  for (size_t i = 0; i < kWeightRows.size(); ++i) {
    const WeightTerm term = kWeightRows[i];
    const int y = 345 + 25 * static_cast<int>(i);
    // 10 units wider than drawn, the spins 10 to the right: the longest
    // captions need it at common font sizes, and the frame has the room.
    c_.terms[term] = Place(new QCheckBox(FromCp1252(WeightTermLabel(term)), this), 250, y, 170, 20);
    // The spin of a term has the term's number.
    const auto spin = static_cast<Spin>(term);
    c_.spins[spin] = Place(new WeightSpin(spin, this), 420, y, 100, 20);
    connect(c_.spins[spin], &QSpinBox::valueChanged, this,
            [this, spin](int value) { model().SetSpin(spin, value); });
  }
  c_.terms[kTermBonus] =
      Place(new QCheckBox(FromCp1252(WeightTermLabel(kTermBonus)), this), 250, 570, 280, 20);
  for (int t = 0; t < kWeightTermCount; ++t) {
    const auto term = static_cast<WeightTerm>(t);
    connect(c_.terms[term], &QCheckBox::clicked, this, [this, term](bool on) {
      model().SetTerm(term, on);
      FillList();
    });
  }
}

void CatalogueWindow::ShowSettings() {
  const CatalogueSettings& settings = model().settings();
  ShowCategories();
  c_.mark_new->setChecked(settings.mark_new);
  for (int t = 0; t < kWeightTermCount; ++t) {
    c_.terms[static_cast<size_t>(t)]->setChecked(settings.TermOn(static_cast<WeightTerm>(t)));
  }
  for (int s = 0; s < kSpinCount; ++s) {
    QSpinBox* spin = c_.spins[static_cast<size_t>(s)];
    const QSignalBlocker block(spin);
    spin->setValue(settings.spin(static_cast<Spin>(s)));
  }
}

void CatalogueWindow::ShowCategories() {
  const int32_t categories = model().settings().categories;
  for (int bit = 0; bit <= kCategoryCount; ++bit) {
    c_.categories[static_cast<size_t>(bit)]->setChecked((categories >> bit) & 1);
  }
}

void CatalogueWindow::FillList() {
  const CatalogueModel& m = model();
  {
    const QSignalBlocker block(c_.list);
    c_.list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(m.row_count()));
    for (size_t row = 0; row < m.row_count(); ++row) {
      auto* item = new QTreeWidgetItem;
      for (int column = 0; column < kCatalogueColumnCount; ++column) {
        item->setText(column, FromCp1252(m.CellText(row, column)));
      }
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(0, m.IsTicked(row) ? Qt::Checked : Qt::Unchecked);
      items << item;
    }
    c_.list->addTopLevelItems(items);
    ColourRows();
    QHeaderView* header = c_.list->header();
    header->setSortIndicatorShown(m.sort_column() >= 0);
    if (m.sort_column() >= 0) {
      header->setSortIndicator(m.sort_column(),
                               m.sort_descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
  }
  ShowSelected();
}

void CatalogueWindow::ColourRows() {
  const QSignalBlocker block(c_.list);
  for (int row = 0; row < c_.list->topLevelItemCount(); ++row) ColourRow(row);
}

void CatalogueWindow::ColourRow(int row) {
  QTreeWidgetItem* item = c_.list->topLevelItem(row);
  if (item == nullptr) return;
  const QSignalBlocker block(c_.list);
  const RowLook look = model().LookOf(static_cast<size_t>(row));
  const QBrush text(ToQColor(look.text));
  const QBrush background(ToQColor(look.background));
  for (int column = 0; column < kCatalogueColumnCount; ++column) {
    item->setForeground(column, text);
    item->setBackground(column, background);
  }
}

std::optional<size_t> CatalogueWindow::SelectedRow() const {
  QTreeWidgetItem* item = c_.list->currentItem();
  if (item == nullptr || !item->isSelected()) {
    const QList<QTreeWidgetItem*> selected = c_.list->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    item = selected.front();
  }
  return static_cast<size_t>(c_.list->indexOfTopLevelItem(item));
}

void CatalogueWindow::ShowSelected() {
  const std::optional<size_t> row = SelectedRow();
  c_.description->setPlainText(FromCp1252Lines(model().DescriptionText(row)));
  const std::optional<RasterImage> picture = session_->PictureOf(row);
  if (picture) {
    c_.picture->setPixmap(QPixmap::fromImage(ToQImage(*picture)));
    c_.picture->resize(picture->width(), picture->height());
  } else {
    c_.picture->clear();
    c_.picture->resize(DialogUnits(this).Size(50, 50));
  }
}

void CatalogueWindow::CopySelectedRows() {
  std::vector<size_t> rows;
  for (QTreeWidgetItem* item : c_.list->selectedItems()) {
    rows.push_back(static_cast<size_t>(c_.list->indexOfTopLevelItem(item)));
  }
  if (rows.empty()) return;
  QApplication::clipboard()->setText(FromCp1252(model().CopyText(std::move(rows))));
}

void CatalogueWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (closed_) return;
  closed_ = true;
  // Said at once: a lost building list would otherwise only show up on the
  // next opening.
  if (!session_->Save()) {
    MessageBoxes::Show(this, WindowTitle("Attraktionen"),
                       QStringLiteral("Die Einstellungen der Attraktionsliste konnten nicht "
                                      "gespeichert werden."));
  }
  if (on_closed_) on_closed_();
}

}  // namespace wunt
