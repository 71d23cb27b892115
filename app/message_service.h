#pragma once
// Every message box and file dialog of the window goes through this one
// interface, so that tests can answer them without entering a modal loop.
#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <optional>

namespace vellumark::app {

enum class MessageIcon { kNone, kInformation, kWarning, kCritical };

class MessageService {
 public:
  virtual ~MessageService() = default;
  // A message with an OK button only.
  virtual void Show(const QString& text, MessageIcon icon) = 0;
  // A yes/no question; true when the user answers yes.
  virtual bool Confirm(const QString& text) = 0;
  // A file to read or to write, the dialog opening at `startPath`; nullopt
  // when the user cancels.
  virtual std::optional<QString> OpenFileName(const QString& startPath) = 0;
  virtual std::optional<QString> SaveFileName(const QString& startPath) = 0;
  // PDF files to add to a job list, the dialog opening in `startFolder`
  // with `caption`; empty when the user cancels.
  virtual QStringList OpenPdfFileNames(const QString& caption, const QString& startFolder) = 0;
  // The closing message of a batch, with a button that opens `folder` in the
  // desktop's file manager (no button when `folder` is empty).
  virtual void ShowBatchSummary(const QString& text, const QString& folder) = 0;
};

// The real thing: QMessageBox and QFileDialog over the active window.
class QtMessageService final : public MessageService {
 public:
  void Show(const QString& text, MessageIcon icon) override;
  bool Confirm(const QString& text) override;
  std::optional<QString> OpenFileName(const QString& startPath) override;
  std::optional<QString> SaveFileName(const QString& startPath) override;
  QStringList OpenPdfFileNames(const QString& caption, const QString& startFolder) override;
  void ShowBatchSummary(const QString& text, const QString& folder) override;
};

// Qt's own dialog rather than the desktop's: its texts come from Qt's
// translations, so it reads Japanese like the rest of the window on any
// desktop.
inline constexpr auto kFileDialogOptions = QFileDialog::DontUseNativeDialog;

}  // namespace vellumark::app
