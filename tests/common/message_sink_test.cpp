#include "common/message_sink.h"

#include <gtest/gtest.h>

namespace wunt {
namespace {

TEST(MessageGatherer, KeepsFirstOrderAndCountsEqualMessages) {
  MessageGatherer gatherer;
  for (int i = 0; i < 2500; ++i) gatherer.Add("Variable Error", "Variable unbekannt!");
  gatherer.Add("Dateifehler", "Fehler beim laden einer IDListe");
  gatherer.Add("Variable Error", "Variable unbekannt!");
  // The same text under another title is another message.
  gatherer.Add("Dateifehler", "Variable unbekannt!");
  const std::vector<MessageGatherer::Gathered> taken = gatherer.Take();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].count, 2501);
  EXPECT_EQ(taken[1].title, "Dateifehler");
  EXPECT_EQ(taken[1].count, 1);
  EXPECT_EQ(taken[2].title, "Dateifehler");
  EXPECT_TRUE(gatherer.empty());
  EXPECT_EQ(CountedText("Variable unbekannt!", 2501),
            "Variable unbekannt!\n\n(Diese Meldung trat 2501-mal auf.)");
  EXPECT_EQ(CountedText("x", 1), "x");
}

}  // namespace
}  // namespace wunt
