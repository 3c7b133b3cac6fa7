#include <gtest/gtest.h>

#include <string>

#include "platform/core/Translate.h"

namespace {

// Translated sentences put what is filled in where the translator placed
// it, in one pass.
TEST(Substitute, FillsNumberedPlacesOnce) {
  using platform::Substitute;
  EXPECT_EQ(Substitute("Errors Encountered With %1 - ABORTING !", {"pop.example.com"}),
            "Errors Encountered With pop.example.com - ABORTING !");
  EXPECT_EQ(Substitute("%2 von %1", {"5", "2"}), "2 von 5");
  EXPECT_EQ(Substitute("%1 as %1:995 or pop3s://%1", {"h"}), "h as h:995 or pop3s://h");
  // An argument's own "%2" (a subject, a server's reason) is not a place.
  EXPECT_EQ(Substitute("%1: %2", {"50%2 off", "x"}), "50%2 off: x");
  // A place without an argument stays, for a later substitution.
  EXPECT_EQ(Substitute("%1, %2 of %3 listed", {"%1", "2", "5"}), "%1, 2 of 5 listed");
  EXPECT_EQ(Substitute("100% sure, %", {}), "100% sure, %");
}

// Without a translation loaded (the C locale) every text is the design's,
// byte for byte.
TEST(Tr, WithoutTranslationGivesTheTextItself) {
  EXPECT_EQ(platform::Tr("Window", "Check Mail Headers"), "Check Mail Headers");
  EXPECT_EQ(platform::Tr("Window", "Größe"), "Größe");
}

}  // namespace
