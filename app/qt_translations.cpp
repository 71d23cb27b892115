#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vellumark::app {

bool InstallQtTranslations(QCoreApplication& application) {
  // Owned by the application, so it lives as long as the texts are needed.
  auto* translator = new QTranslator(&application);
  // "qtbase_ja" holds the widgets' texts; Debian ships it in Qt's own
  // translations folder.
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace vellumark::app
