#pragma once
// Form1, the program's one window: the job list and the child list, the
// option controls, the "連続変換" command and the "Tool" menu. The window is
// thin: the job list model, the settings record and the conversion object
// hold the rules; the window shows them and wires the controls to them.
#include <QMainWindow>
#include <memory>
#include <string>

#include "joblist/job_list.h"
#include "pipeline/conversion.h"
#include "pipeline/working_files.h"
#include "platform/status_sink.h"
#include "settings/settings.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vellumark::acrobat {
class Engine;
}

namespace vellumark::app {

class DropList;
class MessageService;

class Form1 final : public QMainWindow, private platform::StatusSink {
  Q_OBJECT
 public:
  // `engine` and `messages` must outlive the window. `files` are the fixed
  // paths of start-up (working folder created already).
  Form1(acrobat::Engine& engine, pipeline::WorkingFiles files, MessageService& messages,
        QWidget* parent = nullptr);
  ~Form1() override;

  // End of start-up: the edit rules of the two text boxes, then the options
  // of the settings file.
  void Form_Load();
  void InitTextBoxes();
  // Reads the settings file (if any) into the record and the controls. A
  // value without a control (a button index out of range, a check value
  // outside 0..2) leaves the control as it was; the record keeps the value.
  void LoadSettings();

  // The caption is the status line: each text shows at once, and pending
  // events (repaints, clicks on the live controls, a close) run once.
  void ShowStatus(const std::string& text) override;
  void Yield() override;
  // Pages done out of the total, on the progress bar below the controls.
  void Progress(int done, int total) override;

  // Menu: index 0 runs the batch ("連続変換"); index 1 ("Tool") does nothing.
  void menu_Click(int index);
  // "目次リストのコピー": the last job's headings to the clipboard.
  void mn1_Click();
  // "見出しリストを書き出す": the selected job's headings, recognised with the
  // current options, to the heading list file beside its parent, after
  // asking before an existing one is replaced.
  void WriteHeadingList_Click();
  // 0: save the job list to a file; 1: load one.
  void CmdFileIO_Click(int index);
  // "ファイルを追加…": PDFs from a file dialog, as parents, or as children of
  // the selected job when the child list has the focus; they go the way of
  // a drop, with the same checks.
  void AddFiles_Click();
  // Help › about: the program's name and version.
  void About_Click();
  // While a batch runs (`locked`), the batch command, the list-file group and
  // buttons and the option frame are greyed out.
  void SetBatchLock(bool locked);
  // Delete in either list: removes the selected entry, selects a neighbour.
  void DeleteSelectedItem(DropList& list);

  const settings::SettingsRecord& settings() const { return settings_; }
  const joblist::JobListModel& jobList() const { return jobList_; }
  bool batchRunning() const { return batchRunning_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Option handlers: each stores the control's value in the record.
  void fullThumbnail_Click(int index);
  void makeBM2mokuji_Click(int index);
  void OpSave_Click(int index);
  void OpSplit_Click(int index);
  void Check1_Click();
  void Check2_Click();
  void Text1_Change();

  void List1_SelectionChanged();
  void List2_SelectionChanged();
  void List1_FilesDropped(const QStringList& paths);
  void List2_FilesDropped(const QStringList& paths);
  // Tells the user which dropped names were refused (a TAB in the name).
  void ShowRefusedNames();

  void RunBatchCommand();
  void BuildDesktopAdditions();
  void CopyContentsList();
  // Puts `text` on the clipboard and reads it back, a bounded number of
  // times; false when the clipboard never holds exactly `text`.
  bool CopyToClipboard(const QString& text);
  // Idle close: working files removed, options written.
  void Form_QueryUnload();

  // The batch also locks the two job lists, so that nothing the user does
  // during a job changes which jobs or children the batch converts.
  void LockJobLists(bool locked);
  void SyncListsFromModel();
  pipeline::ConversionOptions CurrentOptions() const;
  settings::SettingsRecord SettingsToWrite() const;
  void ConnectControls();

  pipeline::WorkingFiles files_;
  MessageService& messages_;
  settings::SettingsRecord settings_;
  joblist::JobListModel jobList_;
  std::unique_ptr<pipeline::Conversion> conversion_;

  bool batchRunning_ = false;
  bool closeRequested_ = false;  // confirmed close: stop after the current job
  bool syncingLists_ = false;    // the window is writing the lists itself

  QAction* menuBatch_ = nullptr;  // menu(0)
  QAction* mn1_ = nullptr;
  QAction* mnFullOutline_ = nullptr;  // checkable; kept in the extra settings file
  QAction* mnWriteHeadings_ = nullptr;
  QAction* addFiles_ = nullptr;
  QAction* quit_ = nullptr;
  QAction* about_ = nullptr;
  QProgressBar* progress_ = nullptr;
  // The child list was the last of the two lists to have the focus (the
  // menu takes the focus away while it is open).
  bool childListFocused_ = false;
  QString addFilesFolder_;  // where the next add-files dialog opens
  DropList* List1_ = nullptr;
  DropList* List2_ = nullptr;
  QGroupBox* Frame1_ = nullptr;
  QGroupBox* Frame5_ = nullptr;
  QGroupBox* Frame7_ = nullptr;
  QPushButton* CmdFileIO_[2] = {nullptr, nullptr};
  QCheckBox* Check1_ = nullptr;
  QCheckBox* Check2_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QLineEdit* Text2_ = nullptr;
  QButtonGroup* fullThumbnail_ = nullptr;
  QButtonGroup* makeBM2mokuji_ = nullptr;
  QButtonGroup* OpSave_ = nullptr;
  QButtonGroup* OpSplit_ = nullptr;
};

}  // namespace vellumark::app
