#pragma once

#include <string>
#include <vector>

namespace platform {

// The languages the user's locale asks for, most wanted first, as Qt reads
// them from LANGUAGE, LC_ALL, LC_MESSAGES and LANG (e.g. "de-DE", "de").
std::vector<std::string> UserLanguages();

// Puts the program's texts (platform::Tr) into the first of languages
// that the program has a translation for, and Qt's own texts (the boxes'
// Yes and No) with them where Qt's translations are installed; whatever
// was loaded before is removed first. A language of English, or "C",
// before any translated one keeps the design's English text, as does a
// list with none. Translations (pop3check_<language>.qm) are looked for in
// $POP3CHECK_TRANSLATIONS, beside the program in translations/ (the build
// tree), and in ../share/pop3check/translations from it (an installation).
// Returns the file name of the translation loaded, or "" for English.
std::string LoadTranslation(const std::vector<std::string>& languages);

}  // namespace platform
