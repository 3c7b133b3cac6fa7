#include "platform/gui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <memory>

namespace platform {

namespace {

std::unique_ptr<QTranslator> programTranslator;
std::unique_ptr<QTranslator> toolkitTranslator;

QStringList TranslationFolders() {
  QStringList folders;
  const QString chosen = qEnvironmentVariable("POP3CHECK_TRANSLATIONS");
  if (!chosen.isEmpty()) folders << chosen;
  const QString programFolder = QCoreApplication::applicationDirPath();
  folders << programFolder + QStringLiteral("/translations")
          << programFolder + QStringLiteral("/../share/pop3check/translations");
  return folders;
}

bool IsEnglish(const QString& language) {
  return language == QLatin1String("C") || language == QLatin1String("POSIX") ||
         language.startsWith(QLatin1String("en"), Qt::CaseInsensitive);
}

void Remove(std::unique_ptr<QTranslator>& translator) {
  if (!translator) return;
  QCoreApplication::removeTranslator(translator.get());
  translator.reset();
}

// The first language with a file of the program's in any folder.
std::unique_ptr<QTranslator> LoadProgramTranslation(const std::vector<std::string>& languages, QLocale& found) {
  for (const std::string& name : languages) {
    const QString language = QString::fromStdString(name);
    if (IsEnglish(language)) return nullptr;
    const QLocale locale(language);
    for (const QString& folder : TranslationFolders()) {
      auto translator = std::make_unique<QTranslator>();
      if (translator->load(locale, QStringLiteral("pop3check"), QStringLiteral("_"), folder)) {
        found = locale;
        return translator;
      }
    }
  }
  return nullptr;
}

}  // namespace

std::vector<std::string> UserLanguages() {
  std::vector<std::string> languages;
  for (const QString& language : QLocale::system().uiLanguages()) languages.push_back(language.toStdString());
  return languages;
}

std::string LoadTranslation(const std::vector<std::string>& languages) {
  Remove(programTranslator);
  Remove(toolkitTranslator);
  QLocale locale;
  programTranslator = LoadProgramTranslation(languages, locale);
  if (!programTranslator) return std::string();
  QCoreApplication::installTranslator(programTranslator.get());
  auto toolkit = std::make_unique<QTranslator>();
  if (toolkit->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    toolkitTranslator = std::move(toolkit);
    QCoreApplication::installTranslator(toolkitTranslator.get());
  }
  return programTranslator->filePath().toStdString();
}

}  // namespace platform
