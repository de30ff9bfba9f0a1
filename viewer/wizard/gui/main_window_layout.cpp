#include "viewer/wizard/gui/main_window_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <span>
#include <type_traits>
#include <variant>
#include <vector>

#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

constexpr char kBack[] = "< < < < < < <";
constexpr char kNext[] = "> > > > > > >";
constexpr char kHelpText[] =
    "Fals ein neues Jahr beendet wurde drücke auf \"Updater\". "
    "Hier können die Daten der Jahre und die Attraktionsbilder geladen werden.\r\n"
    "\r\n"
    "Wähle links den Diagrammtyp aus und drücken dann auf \"Übernehmen\". "
    "In den darauf folgenden Schritten werden die gewünschten Werte (Rechnungen) und dann die "
    "gewünschten Parks/ Firmen/ Länder ausgewählt. Der letzte Schritt erstellt das Diagramm.\r\n"
    "\r\n"
    "Unter der Attraktionsliste kannst du dir auch die Daten aller verfügbaren Attraktion "
    "anschauen.";
constexpr char kHintA[] =
    "Hinweiß: Wähle in der Liste das Diagramm aus, welches die anzuzeigenden Werte enthält. "
    "Möchtest du ein Vorhandenes ändern oder neue erstellen klicke auf ''Bearbeiten''. Du "
    "solltest Vorhandene nur ändern, wenn du wirklich weist was du tust. Beachte die beliegende "
    "Readme.txt!";

using Controls = MainWindow::Controls;

// A control without a member in Controls: a frame or a fixed caption.
template <typename W>
struct Unnamed {
  using Widget = W;
};
constexpr Unnamed<QGroupBox> kGroup;
constexpr Unnamed<QLabel> kCaption;

// One control of a tab: where it goes in Controls (or that it goes
// nowhere), its caption (UTF-8) and its place in reference units. The
// rows are made in table order, which is also their stacking order.
struct ControlPlace {
  std::variant<Unnamed<QGroupBox>, Unnamed<QLabel>, QLabel * Controls::*, QPushButton * Controls::*,
               QRadioButton * Controls::*, QCheckBox * Controls::*, QComboBox * Controls::*,
               QSpinBox * Controls::*, QListWidget * Controls::*, QScrollArea * Controls::*,
               QProgressBar * Controls::*>
      slot;
  const char* caption;
  int x, y, w, h;
};

constexpr ControlPlace kTab1[] = {
    {kGroup, "möglicher Inhalt", 60, 10, 170, 215},
    {&Controls::kind_value, "Wert", 75, 30, 140, 20},
    {kCaption, "X-Achse: Parks", 85, 50, 130, 17},
    {kCaption, "Y-Achse: Jahre", 85, 70, 130, 17},
    {&Controls::kind_park, "Park", 75, 95, 140, 20},
    {kCaption, "X-Achse: Werte", 85, 115, 130, 17},
    {kCaption, "Y-Achse: Jahre", 85, 135, 130, 17},
    {&Controls::kind_year, "Jahr", 75, 160, 140, 20},
    {kCaption, "X-Achse: Parks", 85, 180, 130, 17},
    {kCaption, "Y-Achse: Werte", 85, 200, 130, 17},
    {kGroup, "Hilfe", 250, 10, 290, 185},
    {&Controls::help, kHelpText, 265, 25, 270, 165},
    {&Controls::season, "", 250, 205, 290, 20},
    {&Controls::updater, "Updater (Rundendaten)", 60, 245, 230, 25},
    {&Controls::attractions, "Attraktionsliste", 310, 245, 230, 25},
    {&Controls::back1, kBack, 60, 285, 157, 25},
    {&Controls::apply1, "Übernehmen", 222, 285, 157, 25},
    {&Controls::next1, kNext, 384, 285, 157, 25},
    {&Controls::no_season, "", 60, 316, 330, 50},
    {&Controls::demo, "Beispielrunde anlegen", 400, 318, 141, 25},
};

constexpr ControlPlace kTab2[] = {
    {kGroup, "Zeitspanne (in Jahren)", 15, 15, 570, 70},
    {&Controls::start_label, "Anfang:", 110, 38, 50, 17},
    {&Controls::start_year, "", 170, 35, 50, 20},
    {&Controls::end_label, "Ende:", 335, 38, 50, 17},
    {&Controls::end_year, "", 395, 35, 50, 20},
    // Wider than drawn for the narrow reference font: the box's mark does
    // not grow with the font, the text does.
    {&Controls::vanished,
     "Auch Parks berücksichtigen, die im letzten ausgewählten Jahr nicht mehr existieren.", 90, 60,
     470, 17},
    {kGroup, "Wertauswahl", 15, 100, 570, 180},
    {&Controls::calculation, "", 30, 125, 435, 20},
    {&Controls::edit, "Bearbeiten", 470, 125, 100, 22},
    {&Controls::hint, kHintA, 30, 150, 555, 120},
    {&Controls::back2, kBack, 15, 315, 185, 25},
    {&Controls::apply2, "Übernehmen", 204, 315, 185, 25},
    {&Controls::next2, kNext, 393, 315, 185, 25},
};

constexpr ControlPlace kTab3[] = {
    {&Controls::source, "", 15, 15, 225, 20},
    {&Controls::auto_select, "", 360, 15, 225, 20},
    // In the automatic selection's place, which content kind "Park" has not.
    {&Controls::single_hint, "", 360, 15, 225, 20},
    {&Controls::available, "", 15, 40, 225, 290},
    {&Controls::chosen, "", 360, 40, 225, 290},
    {&Controls::add, "> Hinzufügen >", 245, 15, 110, 25},
    {&Controls::add_all, "alle Hinzufügen", 245, 45, 110, 25},
    {&Controls::remove, "< Entfernen <", 245, 95, 110, 25},
    {&Controls::remove_all, "alle Entfernen", 245, 125, 110, 25},
    {&Controls::filters, "", 245, 155, 110, 175},
    {&Controls::back3, kBack, 15, 340, 185, 25},
    {&Controls::apply3, "Übernehmen", 204, 340, 185, 25},
    {&Controls::next3, kNext, 393, 340, 185, 25},
    {&Controls::progress, "", 10, 340, 580, 25},
};

template <typename W>
W* Make(const char* caption, QWidget* page) {
  if constexpr (std::is_constructible_v<W, QString, QWidget*>) {
    return new W(QString::fromUtf8(caption), page);
  } else {
    return new W(page);
  }
}

// A control on a frame stays off the frame's title and border, which the
// style may draw taller than the reference layout allowed for.
void PlaceControls(QWidget* page, std::span<const ControlPlace> places, Controls& c) {
  std::vector<const QGroupBox*> frames;
  const auto place = [&frames](auto* widget, const ControlPlace& p) {
    Place(widget, p.x, p.y, p.w, p.h);
    for (const QGroupBox* frame : frames) {
      widget->setGeometry(InsideFrame(widget->geometry(), frame));
    }
    return widget;
  };
  for (const ControlPlace& p : places) {
    std::visit(
        [&](auto slot) {
          using Slot = decltype(slot);
          if constexpr (std::is_member_object_pointer_v<Slot>) {
            using W = std::remove_pointer_t<std::remove_reference_t<decltype(c.*slot)>>;
            c.*slot = place(Make<W>(p.caption, page), p);
          } else if constexpr (std::is_same_v<Slot, Unnamed<QGroupBox>>) {
            frames.push_back(Place(Make<QGroupBox>(p.caption, page), p.x, p.y, p.w, p.h));
          } else {
            place(Make<typename Slot::Widget>(p.caption, page), p);
          }
        },
        p.slot);
  }
}

void WrapTopLeft(QLabel* label) {
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace

void LayOutTab(int tab, QWidget* page, Controls& c) {
  const std::span<const ControlPlace> tables[] = {kTab1, kTab2, kTab3};
  PlaceControls(page, tables[tab], c);
  if (tab == 0) {
    c.kind_value->setChecked(true);
    WrapTopLeft(c.help);
    c.back1->setEnabled(false);
    c.next1->setEnabled(false);
    // The field takes a season number that is no folder yet, for the
    // updater to fetch; the list offers the folders there are.
    c.season->setEditable(true);
    c.season->setInsertPolicy(QComboBox::NoInsert);
    WrapTopLeft(c.no_season);
    c.no_season->hide();
    c.demo->hide();
  } else if (tab == 1) {
    c.start_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.end_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QSpinBox* spin : {c.start_year, c.end_year}) {
      spin->setRange(0, 1);
      spin->findChild<QLineEdit*>()->setReadOnly(true);
      spin->setButtonSymbols(QSpinBox::UpDownArrows);
    }
    c.vanished->setToolTip(
        QStringLiteral("Für die Länderstatistiken werden immer alle Parks berücksichtigt."));
    WrapTopLeft(c.hint);
    c.apply2->setEnabled(false);
    c.next2->setEnabled(false);
  } else {
    c.source->addItems(
        {QStringLiteral("Parks"), QStringLiteral("Firmen"), QStringLiteral("Länder")});
    c.add->setEnabled(false);
    c.remove->setEnabled(false);
    c.remove_all->setEnabled(false);
    c.apply3->setEnabled(false);
    c.next3->setEnabled(false);
    c.progress->setRange(0, 100);
    c.progress->setToolTip(QStringLiteral("gewünschte Werte werden Berechnet"));
    c.progress->hide();
    c.single_hint->hide();
  }
}

void SetFocusOrder(QWidget* window, const Controls& c) {
  // The tab strip is no stop on the keyboard's way: it never changes the
  // step.
  c.tabs->setFocusPolicy(Qt::NoFocus);
  c.tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
  OrderFocusByPosition(window);
}

}  // namespace wunt
