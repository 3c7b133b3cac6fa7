#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/Translate.h"
#include "platform/gui/Translations.h"
#include "tests/app/FormTest.h"
#include "tests/support/TestEnvironment.h"

namespace {

using apptest::BoxKind;
using ::testing::ElementsAre;

// The build tree's compiled translations (data/CMakeLists.txt), as an
// installation would offer them.
void UseBuiltTranslations() { setenv("POP3CHECK_TRANSLATIONS", POP3CHECK_TEST_TRANSLATIONS, 1); }

// The user's languages in the order the locale gives them: the first one
// the program speaks wins, and English or C before it keeps the design's
// text.
struct LanguageChoice {
  std::vector<std::string> languages;
  const char* file;  // the .qm loaded, "" for none
  const char* serverCaption;
};

class TranslationChoice : public ::testing::TestWithParam<LanguageChoice> {
 protected:
  void SetUp() override { UseBuiltTranslations(); }
  void TearDown() override { platform::LoadTranslation({}); }
};

TEST_P(TranslationChoice, FirstSpokenLanguageWins) {
  const LanguageChoice& choice = GetParam();
  const std::string loaded = platform::LoadTranslation(choice.languages);
  if (*choice.file == '\0') {
    EXPECT_EQ(loaded, "");
  } else {
    EXPECT_THAT(loaded, ::testing::EndsWith(choice.file));
  }
  EXPECT_EQ(platform::Tr("Window", "Server IP:"), choice.serverCaption);
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslationChoice,
                         ::testing::Values(LanguageChoice{{"de-DE", "de"}, "/pop3check_de.qm", "Server-IP:"},
                                           LanguageChoice{{"fr_CA"}, "/pop3check_fr.qm", "Serveur IP :"},
                                           LanguageChoice{{"sv", "fr"}, "/pop3check_fr.qm", "Serveur IP :"},
                                           LanguageChoice{{"C"}, "", "Server IP:"},
                                           LanguageChoice{{"en-GB", "de"}, "", "Server IP:"},
                                           LanguageChoice{{}, "", "Server IP:"}));

// The window built while German is loaded speaks German: captions, hints,
// the accessible names, and its boxes, with what the user typed put into
// the sentence. (Without it, as in every other test, the design's English.)
class GermanWindow : public apptest::FormTest {
 protected:
  void SetUp() override {
    UseBuiltTranslations();
    ASSERT_NE(platform::LoadTranslation({"de_DE"}), "");
    FormTest::SetUp();
  }
  void TearDown() override {
    FormTest::TearDown();
    platform::LoadTranslation({});
  }
};

TEST_F(GermanWindow, CaptionsAndBoxesInGerman) {
  EXPECT_EQ(Form().IPlabel->Text(), "Server-IP:");
  EXPECT_EQ(Form().UserLabel->Text(), "Benutzer:");
  EXPECT_EQ(Form().Label7->Text(), "Auto-Prüfung");
  EXPECT_EQ(Form().Label4->Text(), "Gr.:");
  EXPECT_EQ(Form().CheckButton->Caption(), "Kopfzeilen abrufen");
  EXPECT_EQ(Form().ExitButton->Caption(), "Beenden");
  EXPECT_EQ(Form().CheckBox1->Hint(), "Passwort merken");
  EXPECT_EQ(Form().UserEdit->AccessibleName(), "Benutzername");

  const std::string server = "127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort());
  EnterAccount(server, "ann", "secret");
  ClickCheck();
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Fehler mit " + server + " – ABBRUCH!"));
}

}  // namespace
