#include "app/message_service.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/window_texts.h"

namespace vellumark::app {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation: return QMessageBox::Information;
    case MessageIcon::kWarning: return QMessageBox::Warning;
    case MessageIcon::kCritical: return QMessageBox::Critical;
    case MessageIcon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

QString Tr(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

void QtMessageService::Show(const QString& text, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), Tr(kWindowTitle), text, QMessageBox::NoButton, QApplication::activeWindow());
  box.addButton(Tr(kOkButton), QMessageBox::AcceptRole);
  box.exec();
}

bool QtMessageService::Confirm(const QString& text) {
  QMessageBox box(QMessageBox::Question, Tr(kWindowTitle), text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  QPushButton* yes = box.addButton(Tr(kYesButton), QMessageBox::YesRole);
  QPushButton* no = box.addButton(Tr(kNoButton), QMessageBox::NoRole);
  // Enter or Escape must not end a batch by accident: "no" is the default.
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<QString> QtMessageService::OpenFileName(const QString& startPath) {
  QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), Tr(kOpenListDialogCaption), startPath,
                                                Tr(kListFileFilter), nullptr, kFileDialogOptions);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

std::optional<QString> QtMessageService::SaveFileName(const QString& startPath) {
  QString chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), Tr(kSaveListDialogCaption), startPath,
                                                Tr(kListFileFilter), nullptr, kFileDialogOptions);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

QStringList QtMessageService::OpenPdfFileNames(const QString& caption, const QString& startFolder) {
  return QFileDialog::getOpenFileNames(QApplication::activeWindow(), caption, startFolder, Tr(kPdfFileFilter), nullptr,
                                       kFileDialogOptions);
}

void QtMessageService::ShowBatchSummary(const QString& text, const QString& folder) {
  QMessageBox box(QMessageBox::Information, Tr(kWindowTitle), text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  QPushButton* open = nullptr;
  if (!folder.isEmpty()) open = box.addButton(Tr(kOpenFolderButton), QMessageBox::ActionRole);
  QPushButton* ok = box.addButton(Tr(kOkButton), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  if (open != nullptr && box.clickedButton() == open) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace vellumark::app
