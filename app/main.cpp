// vellumark: the desktop window over the conversion core.
#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>

#include "acrobat/real_engine.h"
#include "app/main_window.h"
#include "app/message_service.h"
#include "app/qt_translations.h"
#include "pipeline/run_folder.h"
#include "pipeline/working_files.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vellumark"));
  // Ties the window to the installed desktop entry (its icon on Wayland).
  QGuiApplication::setDesktopFileName(QStringLiteral("jp.vellumark.Vellumark"));
  // The installed icon, where the desktop's icon theme has it.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("jp.vellumark.Vellumark")));
  vellumark::app::InstallQtTranslations(application);
  vellumark::app::QtMessageService messages;
  // Start-up failures (no folder for the working files, no application
  // folder) are the only ones outside the window's own handlers: they are
  // shown once and the program ends.
  try {
    // The window's own working folder, for as long as the window lives; it
    // is emptied and removed when main returns, and by the next start if the
    // program is killed.
    const vellumark::pipeline::RunFolder runFolder(vellumark::pipeline::WorkingFolderBase());
    const vellumark::pipeline::WorkingFiles files =
        vellumark::pipeline::MakeWorkingFiles(vellumark::pipeline::ApplicationFolder(), runFolder.path());
    const std::unique_ptr<vellumark::acrobat::Engine> engine = vellumark::acrobat::MakeRealEngine();
    vellumark::app::Form1 form(*engine, files, messages);
    form.Form_Load();
    form.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    messages.Show(QString::fromUtf8(error.what()), vellumark::app::MessageIcon::kCritical);
    return 1;
  }
}
