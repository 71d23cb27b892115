#pragma once
// Shared pieces of the window tests: scripted answers for message boxes and
// dialogs, a sandbox with its own application and working folders and the
// fake engine, and the file manager's side of a drop.
#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/main_window.h"
#include "app/message_service.h"
#include "pipeline/working_files.h"
#include "tests/support/fake_engine.h"

namespace vellumark::app {
class DropList;
}

namespace vellumark::app::testing {

struct ShownMessage {
  QString text;
  MessageIcon icon;
};

// Answers every box without a modal loop and records what was asked.
class ScriptedMessages final : public MessageService {
 public:
  void Show(const QString& text, MessageIcon icon) override { shown.push_back({text, icon}); }
  bool Confirm(const QString& text) override;
  std::optional<QString> OpenFileName(const QString& startPath) override;
  std::optional<QString> SaveFileName(const QString& startPath) override;
  QStringList OpenPdfFileNames(const QString& caption, const QString& startFolder) override;
  void ShowBatchSummary(const QString& text, const QString& folder) override { summaries.push_back({text, folder}); }

  // "" when exactly one box was shown and it is an error naming `naming`;
  // otherwise what was shown instead, for the failure message.
  QString ProblemWithOneErrorNaming(const QString& naming) const;

  struct Summary {
    QString text;
    QString folder;
  };
  std::vector<ShownMessage> shown;
  std::vector<Summary> summaries;
  std::deque<QStringList> pdfAnswers;  // no answer left: cancelled
  QStringList pdfDialogCaptions;
  std::deque<bool> confirmAnswers;  // no answer left: "no"
  QStringList questions;
  std::deque<QString> fileAnswers;  // no answer left: cancelled
  QStringList dialogStartPaths;
};

// A temporary application folder ("app") and working folder ("work"), the
// fake engine and the scripted messages, and a window over them.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // The window with start-up done (text box rules, settings file).
  std::unique_ptr<Form1> MakeForm(acrobat::Engine* engine = nullptr);
  // That window shown on the screen; made the active window too when a test
  // types into it (check isActiveWindow(): a window manager may refuse).
  enum class Focus { kNone, kActive };
  std::unique_ptr<Form1> ShowForm(Focus focus = Focus::kNone);
  // A path under the sandbox (for source PDFs, list files …).
  std::filesystem::path Path(const std::string& relative) const;
  QString PathText(const std::string& relative) const;

  std::filesystem::path root;
  pipeline::WorkingFiles files;
  testsupport::FakeEngine engine;
  ScriptedMessages messages;
};

// The drop of a file manager: the local files as URLs, onto the list's
// viewport, where Qt delivers real drops.
void DropFiles(DropList& list, const QStringList& paths);

template <class T>
T* Control(Form1& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  if (control == nullptr) qFatal("no control %s", name);
  return control;
}

QStringList Entries(const DropList& list);
QStringList ToQStringList(const std::vector<std::string>& texts);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace vellumark::app::testing
