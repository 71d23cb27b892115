#include "app/gui_test_support.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <fstream>
#include <random>
#include <sstream>

#include "app/drop_list.h"

namespace vellumark::app::testing {

QString ScriptedMessages::ProblemWithOneErrorNaming(const QString& naming) const {
  QString boxes;
  for (const ShownMessage& message : shown) {
    boxes += QStringLiteral("\n[%1] %2").arg(static_cast<int>(message.icon)).arg(message.text);
  }
  const bool oneError = shown.size() == 1 && shown[0].icon == MessageIcon::kCritical && shown[0].text.contains(naming);
  return oneError ? QString() : QStringLiteral("expected one error naming \"%1\", shown:%2").arg(naming, boxes);
}

bool ScriptedMessages::Confirm(const QString& text) {
  questions.push_back(text);
  if (confirmAnswers.empty()) return false;
  const bool answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer;
}

std::optional<QString> ScriptedMessages::OpenFileName(const QString& startPath) {
  dialogStartPaths.push_back(startPath);
  if (fileAnswers.empty()) return std::nullopt;
  QString answer = std::move(fileAnswers.front());
  fileAnswers.pop_front();
  return answer;
}

std::optional<QString> ScriptedMessages::SaveFileName(const QString& startPath) {
  return OpenFileName(startPath);
}

QStringList ScriptedMessages::OpenPdfFileNames(const QString& caption, const QString& startFolder) {
  pdfDialogCaptions.push_back(caption);
  dialogStartPaths.push_back(startFolder);
  if (pdfAnswers.empty()) return {};
  QStringList answer = std::move(pdfAnswers.front());
  pdfAnswers.pop_front();
  return answer;
}

Sandbox::Sandbox() {
  std::random_device random;
  root = std::filesystem::temp_directory_path() / ("vellumark-gui-" + std::to_string(random()));
  std::filesystem::create_directories(root / "app");
  std::filesystem::create_directories(root / "jobs");
  files = pipeline::MakeWorkingFiles(root / "app", root / "work");
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::unique_ptr<Form1> Sandbox::MakeForm(acrobat::Engine* engineToUse) {
  auto form = std::make_unique<Form1>(engineToUse != nullptr ? *engineToUse : engine, files, messages);
  form->Form_Load();
  return form;
}

std::unique_ptr<Form1> Sandbox::ShowForm(Focus focus) {
  auto form = MakeForm();
  form->show();
  if (focus == Focus::kActive) {
    form->activateWindow();
    // The test checks the outcome itself, where its failure is reported.
    static_cast<void>(QTest::qWaitForWindowActive(form.get()));
  }
  return form;
}

std::filesystem::path Sandbox::Path(const std::string& relative) const { return root / relative; }

QString Sandbox::PathText(const std::string& relative) const { return QString::fromStdString(Path(relative).string()); }

void DropFiles(DropList& list, const QStringList& paths) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
  mime->setUrls(urls);
  // Qt delivers a drop to the widget that accepted the drag's entry, as a
  // real drag does; a list that refuses the entry (disabled, wrong data)
  // never sees the drop.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list.viewport(), &enter);
  if (enter.isAccepted()) {
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
  }
  delete mime;
}

QStringList Entries(const DropList& list) {
  QStringList texts;
  for (int row = 0; row < list.count(); ++row) texts.append(list.item(row)->text());
  return texts;
}

QStringList ToQStringList(const std::vector<std::string>& texts) {
  QStringList result;
  for (const std::string& text : texts) result.append(QString::fromStdString(text));
  return result;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace vellumark::app::testing
