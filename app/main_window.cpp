#include "app/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <charconv>
#include <exception>
#include <optional>
#include <system_error>
#include <vector>

#include "app/drop_list.h"
#include "app/form_layout.h"
#include "app/message_service.h"
#include "app/text_boxes.h"
#include "app/window_texts.h"
#include "bookmarks/heading_list_file.h"
#include "export/contents_list.h"
#include "joblist/job_line.h"
#include "joblist/job_list_file.h"
#include "pipeline/batch.h"
#include "pipeline/batch_summary.h"
#include "platform/folders.h"
#include "settings/conversion_options.h"
#include "settings/extra_settings.h"
#include "vellumark_version.h"

namespace vellumark::app {
namespace {

// Setting and reading back the clipboard is repeated at most this often: a
// clipboard held by another program must end in "Error!", not in a hang.
constexpr int kClipboardAttempts = 10;

QString Tr(const char* utf8) { return QString::fromUtf8(utf8); }

QString PathText(const std::filesystem::path& path) { return QString::fromStdString(platform::PathToUtf8(path)); }

std::vector<std::string> ToUtf8List(const QStringList& texts) {
  std::vector<std::string> result;
  result.reserve(static_cast<std::size_t>(texts.size()));
  for (const QString& text : texts) result.push_back(text.toStdString());
  return result;
}

// Check boxes hold 0 (unchecked), 1 (checked) or 2 (greyed), as the settings
// file does.
std::int16_t CheckValue(QCheckBox& box) {
  if (box.checkState() != Qt::PartiallyChecked) box.setTristate(false);
  switch (box.checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
  }
  return 0;
}

// A value the box cannot show leaves it as it was. The greyed state comes
// only from a settings file: the user's next click leaves it for good.
void ShowCheckValue(QCheckBox& box, int value) {
  switch (value) {
    case 0: box.setTristate(false); box.setCheckState(Qt::Unchecked); break;
    case 1: box.setTristate(false); box.setCheckState(Qt::Checked); break;
    case 2: box.setCheckState(Qt::PartiallyChecked); break;
    default: break;
  }
}

// Selecting a button runs its group's handler when the selection changes;
// an index without a button leaves the group as it was.
void SelectButton(QButtonGroup& group, int index) {
  if (QAbstractButton* button = group.button(index)) button->setChecked(true);
}

// Windows' plain-text clipboard turns line ends into CR LF on the way in and
// back on the way out, so the read-back is compared with line ends evened
// out; every other character must come back exactly.
QString WithEvenLineEnds(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// The batch's rule for a caught failure, as a window text.
QString FailureText(const std::exception& error) { return QString::fromStdString(pipeline::FailureText(error)); }

void ShowEntries(DropList& list, const std::vector<std::string>& entries, int selected) {
  bool same = list.count() == static_cast<int>(entries.size());
  for (int row = 0; same && row < list.count(); ++row) {
    same = list.item(row)->text() == QString::fromStdString(entries[static_cast<std::size_t>(row)]);
  }
  if (!same) {
    list.clear();
    for (const std::string& entry : entries) list.addItem(QString::fromStdString(entry));
  }
  if (selected >= 0 && selected < list.count()) {
    list.setCurrentRow(selected);
  } else {
    list.selectionModel()->clear();
  }
}

}  // namespace

Form1::Form1(acrobat::Engine& engine, pipeline::WorkingFiles files, MessageService& messages, QWidget* parent)
    : QMainWindow(parent), files_(std::move(files)), messages_(messages) {
  setWindowTitle(Tr(kWindowTitle));
  // The layout was drawn for a 9 pt Japanese UI font; the first family
  // available on the system is used.
  QFont uiFont = font();
  uiFont.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
  uiFont.setPointSize(9);
  setFont(uiFont);

  auto* client = new QWidget(this);
  setObjectName(QStringLiteral("Form1"));
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  client->setFixedSize(TwipsToPixels(kClientWidthTwips, client->logicalDpiX()),
                       TwipsToPixels(kClientHeightTwips, client->logicalDpiY()));
  BuildForm1Controls(*client);
  // The layout is fixed: the window takes the client area plus the menu bar
  // and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  auto find = [client](const char* name) { return client->findChild<QWidget*>(QString::fromLatin1(name)); };
  List1_ = static_cast<DropList*>(find("List1"));
  List2_ = static_cast<DropList*>(find("List2"));
  Frame1_ = static_cast<QGroupBox*>(find("Frame1"));
  Frame5_ = static_cast<QGroupBox*>(find("Frame5"));
  Frame7_ = static_cast<QGroupBox*>(find("Frame7"));
  CmdFileIO_[0] = static_cast<QPushButton*>(find("CmdFileIO_0"));
  CmdFileIO_[1] = static_cast<QPushButton*>(find("CmdFileIO_1"));
  Check1_ = static_cast<QCheckBox*>(find("Check1"));
  Check2_ = static_cast<QCheckBox*>(find("Check2"));
  Text1_ = static_cast<QLineEdit*>(find("Text1"));
  Text2_ = static_cast<QLineEdit*>(find("Text2"));

  auto makeGroup = [this, &find](const char* name, int count) {
    auto* group = new QButtonGroup(this);
    group->setObjectName(QString::fromLatin1(name));
    for (int index = 0; index < count; ++index) {
      const std::string member = std::string(name) + "_" + std::to_string(index);
      group->addButton(static_cast<QAbstractButton*>(find(member.c_str())), index);
    }
    group->button(0)->setChecked(true);
    return group;
  };
  fullThumbnail_ = makeGroup("fullThumbnail", 2);
  makeBM2mokuji_ = makeGroup("makeBM2mokuji", 2);
  OpSave_ = makeGroup("OpSave", 2);
  OpSplit_ = makeGroup("OpSplit", 4);
  Check1_->setChecked(true);
  Check2_->setChecked(true);

  menuBatch_ = menuBar()->addAction(Tr(kBatchMenuCaption));
  menuBatch_->setObjectName(QStringLiteral("menu_0"));
  QMenu* tool = menuBar()->addMenu(Tr(kToolMenuCaption));
  tool->setObjectName(QStringLiteral("menu_1"));
  mn1_ = tool->addAction(Tr(kCopyContentsCaption));
  mn1_->setObjectName(QStringLiteral("mn1"));
  mnFullOutline_ = tool->addAction(Tr(kFullOutlineCaption));
  mnFullOutline_->setObjectName(QStringLiteral("mnFullOutline"));
  mnFullOutline_->setCheckable(true);
  mnWriteHeadings_ = tool->addAction(Tr(kWriteHeadingListCaption));
  mnWriteHeadings_->setObjectName(QStringLiteral("mnWriteHeadings"));

  BuildDesktopAdditions();

  conversion_ = std::make_unique<pipeline::Conversion>(engine, files_, static_cast<platform::StatusSink&>(*this));
  ConnectControls();
}

// What the window offers beyond its fixed form: a file menu, shortcuts for
// every command, a help menu, placeholders on the empty lists and a thin
// progress bar in a status bar below the form, which grows the window by
// its own height and leaves every control where it was.
void Form1::BuildDesktopAdditions() {
  QMenu* file = new QMenu(Tr(kFileMenuCaption), this);
  file->setObjectName(QStringLiteral("fileMenu"));
  menuBar()->insertMenu(menuBatch_, file);
  addFiles_ = file->addAction(Tr(kAddFilesCaption));
  addFiles_->setObjectName(QStringLiteral("addFiles"));
  addFiles_->setShortcut(QKeySequence::Open);
  file->addSeparator();
  quit_ = file->addAction(Tr(kQuitCaption));
  quit_->setObjectName(QStringLiteral("quit"));
  quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* help = menuBar()->addMenu(Tr(kHelpMenuCaption));
  help->setObjectName(QStringLiteral("helpMenu"));
  about_ = help->addAction(Tr(kAboutCaption));
  about_->setObjectName(QStringLiteral("about"));
  about_->setShortcut(QKeySequence::HelpContents);

  menuBatch_->setShortcut(QKeySequence(Qt::Key_F5));
  mn1_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  mnFullOutline_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  mnWriteHeadings_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
  CmdFileIO_[0]->setShortcut(QKeySequence::Save);
  CmdFileIO_[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  for (QPushButton* button : CmdFileIO_) {
    button->setToolTip(button->text() + QStringLiteral(" (") +
                       button->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
  }

  List1_->SetPlaceholderText(Tr(kJobListPlaceholder));
  List2_->SetPlaceholderText(Tr(kChildListPlaceholder));

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setTextVisible(true);
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setMaximumHeight(progress_->fontMetrics().height() + 4);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->hide();
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addPermanentWidget(progress_, 1);
  // The status bar keeps its height while the bar is hidden, so the window
  // does not change size when a batch starts.
  statusBar()->setFixedHeight(progress_->maximumHeight() + 6);

  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == nullptr || now->window() != this) return;
    if (now == List2_) {
      childListFocused_ = true;
    } else if (now == List1_) {
      childListFocused_ = false;
    }
  });
}

Form1::~Form1() = default;

void Form1::ConnectControls() {
  auto onSelected = [this](QButtonGroup* group, void (Form1::*handler)(int)) {
    connect(group, &QButtonGroup::idToggled, this, [this, handler](int id, bool checked) {
      if (checked) (this->*handler)(id);
    });
  };
  onSelected(fullThumbnail_, &Form1::fullThumbnail_Click);
  onSelected(makeBM2mokuji_, &Form1::makeBM2mokuji_Click);
  onSelected(OpSave_, &Form1::OpSave_Click);
  onSelected(OpSplit_, &Form1::OpSplit_Click);
  connect(Check1_, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
  connect(Check2_, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
  connect(Text1_, &QLineEdit::textChanged, this, [this] { Text1_Change(); });

  connect(menuBatch_, &QAction::triggered, this, [this] { menu_Click(0); });
  connect(mn1_, &QAction::triggered, this, [this] { mn1_Click(); });
  connect(mnFullOutline_, &QAction::toggled, this, [this](bool checked) { settings_.fullOutline = checked; });
  connect(mnWriteHeadings_, &QAction::triggered, this, [this] { WriteHeadingList_Click(); });
  connect(addFiles_, &QAction::triggered, this, [this] { AddFiles_Click(); });
  connect(quit_, &QAction::triggered, this, [this] { close(); });
  connect(about_, &QAction::triggered, this, [this] { About_Click(); });
  for (int index = 0; index < 2; ++index) {
    connect(CmdFileIO_[index], &QPushButton::clicked, this, [this, index] { CmdFileIO_Click(index); });
  }

  connect(List1_, &QListWidget::itemSelectionChanged, this, [this] { List1_SelectionChanged(); });
  connect(List2_, &QListWidget::itemSelectionChanged, this, [this] { List2_SelectionChanged(); });
  connect(List1_, &DropList::filesDropped, this, [this](const QStringList& paths) { List1_FilesDropped(paths); });
  connect(List2_, &DropList::filesDropped, this, [this](const QStringList& paths) { List2_FilesDropped(paths); });
  connect(List1_, &DropList::deletePressed, this, [this] { DeleteSelectedItem(*List1_); });
  connect(List2_, &DropList::deletePressed, this, [this] { DeleteSelectedItem(*List2_); });
}

// ---------------------------------------------------------------- start-up

void Form1::Form_Load() {
  InitTextBoxes();
  LoadSettings();
}

void Form1::InitTextBoxes() {
  Text2_->setValidator(MakeDigitsOnlyValidator(Text2_));
  Text1_->setValidator(new DelimiterValidator(Text1_));
}

void Form1::LoadSettings() {
  // The extra file stands on its own: a settings file written by another
  // program comes without it, and it may be there without the settings file.
  settings::ReadExtraSettingsFile(settings::ExtraSettingsPath(files_.settingsPath), settings_);
  mnFullOutline_->setChecked(settings_.fullOutline);
  std::error_code error;
  if (!std::filesystem::exists(files_.settingsPath, error)) return;
  // A short file fills what it holds; the other fields keep their values.
  settings::ReadSettingsFile(files_.settingsPath, settings_);

  // The record keeps every value read, even one no control can show (a
  // thumbnail index of 5 stays in the record until the user picks one); only
  // the split unit is brought into range when the file is read.
  const settings::SettingsRecord read = settings_;
  SelectButton(*fullThumbnail_, read.fullThumbnail);
  SelectButton(*makeBM2mokuji_, read.makeBM2mokuji);
  SelectButton(*OpSave_, read.OpSave);
  SelectButton(*OpSplit_, read.OpSplit);
  Text2_->setText(QString::number(read.Text2));
  ShowCheckValue(*Check1_, read.Check1);
  ShowCheckValue(*Check2_, read.Check2);
  // The box keeps one character, and an empty delimiter gets "･" back: the
  // same rule the command line applies to a settings file.
  // Setting the text the box already shows raises no change, so the record
  // is given the box's text here as the change handler would.
  Text1_->setText(QString::fromStdString(settings::DelimiterAsLoaded(read.Text1)));
  settings_.Text1 = Text1_->text().toStdString();
}

// ---------------------------------------------------------------- status

void Form1::ShowStatus(const std::string& text) {
  // The batch changes the model (the top job leaves, the child list shows
  // the job being converted); the lists catch up before anything repaints.
  SyncListsFromModel();
  setWindowTitle(QString::fromStdString(text));
  QCoreApplication::processEvents();
}

void Form1::Yield() {
  SyncListsFromModel();
  QCoreApplication::processEvents();
}

void Form1::Progress(int done, int total) {
  if (total <= 0) return;
  progress_->setRange(0, total);
  progress_->setValue(done);
  progress_->show();
  QCoreApplication::processEvents();
}

// ---------------------------------------------------------------- options

void Form1::fullThumbnail_Click(int index) { settings_.fullThumbnail = static_cast<std::int16_t>(index); }

void Form1::makeBM2mokuji_Click(int index) { settings_.makeBM2mokuji = static_cast<std::int16_t>(index); }

void Form1::OpSplit_Click(int index) { settings_.OpSplit = static_cast<std::int16_t>(index); }

void Form1::Check1_Click() { settings_.Check1 = CheckValue(*Check1_); }

void Form1::Check2_Click() { settings_.Check2 = CheckValue(*Check2_); }

void Form1::OpSave_Click(int index) {
  settings_.OpSave = static_cast<std::int16_t>(index);
  // The size box and the split units only mean something when splitting by
  // size; the chosen unit stays selected while they are greyed out.
  const bool splitBySize = index == 0;
  Text2_->setEnabled(splitBySize);
  Frame5_->setEnabled(splitBySize);
  for (QAbstractButton* unit : OpSplit_->buttons()) unit->setEnabled(splitBySize);
}

void Form1::Text1_Change() {
  const QString text = Text1_->text();
  const QString first = FirstCharacter(text);
  if (first != text) {
    Text1_->setText(first);  // runs this handler again, which stores the one character
    return;
  }
  settings_.Text1 = text.toStdString();
}

pipeline::ConversionOptions Form1::CurrentOptions() const {
  // The two text boxes are read as they stand when the batch starts.
  pipeline::ConversionOptions options = settings::OptionsFromSettings(settings_, Text2_->text().toStdString());
  options.delimiter = Text1_->text().toStdString();
  return options;
}

settings::SettingsRecord Form1::SettingsToWrite() const {
  settings::SettingsRecord record = settings_;
  // The size box has no handler of its own; its value is taken at close so
  // that it persists with the other options. Text the 16-bit field cannot
  // hold (empty, too large) keeps the value the record had.
  const std::string sizeText = Text2_->text().toStdString();
  std::int16_t size = 0;
  const auto [end, error] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
  if (error == std::errc() && end == sizeText.data() + sizeText.size() && !sizeText.empty()) record.Text2 = size;
  return record;
}

// ---------------------------------------------------------------- job lists

void Form1::SyncListsFromModel() {
  syncingLists_ = true;
  ShowEntries(*List1_, jobList_.jobs(), jobList_.selectedJob());
  ShowEntries(*List2_, jobList_.children(), jobList_.selectedChild());
  syncingLists_ = false;
}

void Form1::List1_SelectionChanged() {
  if (syncingLists_) return;
  jobList_.SelectJob(List1_->SelectedRow());
  SyncListsFromModel();
}

void Form1::List2_SelectionChanged() {
  if (syncingLists_) return;
  jobList_.SelectChild(List2_->SelectedRow());
  SyncListsFromModel();
}

void Form1::List1_FilesDropped(const QStringList& paths) {
  jobList_.DropOnJobList(ToUtf8List(paths));
  SyncListsFromModel();
  ShowRefusedNames();
}

void Form1::List2_FilesDropped(const QStringList& paths) {
  if (jobList_.DropOnChildList(ToUtf8List(paths)) == joblist::JobListModel::ChildDropResult::kNoJobSelected) {
    messages_.Show(Tr(kSelectParentMessage), MessageIcon::kNone);
    return;
  }
  SyncListsFromModel();
  ShowRefusedNames();
}

void Form1::ShowRefusedNames() {
  QStringList lines;
  for (const std::string& name : jobList_.refusedNames()) {
    lines << Tr(joblist::kTabInNameMessage) + QString::fromStdString(name);
  }
  if (!lines.isEmpty()) messages_.Show(lines.join(QLatin1Char('\n')), MessageIcon::kWarning);
}

void Form1::DeleteSelectedItem(DropList& list) {
  if (&list == List1_) {
    jobList_.DeleteSelectedJob();
  } else if (&list == List2_) {
    jobList_.DeleteSelectedChild();
  }
  SyncListsFromModel();
}

void Form1::LockJobLists(bool locked) {
  List1_->setEnabled(!locked);
  List2_->setEnabled(!locked);
  addFiles_->setEnabled(!locked);
}

void Form1::AddFiles_Click() {
  if (batchRunning_) return;
  const bool asChildren = childListFocused_;
  // Children need their job first; the user hears it before choosing files.
  if (asChildren && jobList_.selectedJob() < 0) {
    messages_.Show(Tr(kSelectParentMessage), MessageIcon::kNone);
    return;
  }
  const QString start = addFilesFolder_.isEmpty() ? QDir::homePath() : addFilesFolder_;
  const QStringList chosen =
      messages_.OpenPdfFileNames(Tr(asChildren ? kAddChildrenDialogCaption : kAddParentsDialogCaption), start);
  if (chosen.isEmpty()) return;
  addFilesFolder_ = QFileInfo(chosen.front()).absolutePath();
  QStringList paths;
  for (const QString& path : chosen) paths.append(QDir::toNativeSeparators(path));
  if (asChildren) {
    List2_FilesDropped(paths);
  } else {
    List1_FilesDropped(paths);
  }
}

void Form1::About_Click() {
  messages_.Show(Tr(kAboutText).arg(QString::fromUtf8(kVersion)), MessageIcon::kInformation);
}

// ---------------------------------------------------------------- commands

void Form1::SetBatchLock(bool locked) {
  const bool enabled = !locked;
  menuBatch_->setEnabled(enabled);
  Frame7_->setEnabled(enabled);
  CmdFileIO_[0]->setEnabled(enabled);
  CmdFileIO_[1]->setEnabled(enabled);
  Frame1_->setEnabled(enabled);
}

void Form1::menu_Click(int index) {
  if (index == 0) RunBatchCommand();
  // Index 1 is the "Tool" menu itself: it only opens its items.
}

void Form1::RunBatchCommand() {
  // The command is disabled during a batch; a second run must never start
  // inside the first one's status yields.
  if (batchRunning_) return;
  if (jobList_.jobs().empty()) {
    messages_.Show(Tr(pipeline::kNoListMessage), MessageIcon::kInformation);
    return;
  }
  // A size the split cannot work with would fail every job (or, at 0 MB,
  // never finish cutting): refuse it before anything runs.
  if (settings_.OpSave == 0) {
    if (const auto problem = pipeline::CheckSizeText(Text2_->text().toStdString())) {
      messages_.Show(QString::fromStdString(*problem), MessageIcon::kWarning);
      return;
    }
  }
  const pipeline::ConversionOptions options = CurrentOptions();

  // Another batch (a second window, the command line) sharing the list
  // files is refused before anything is written; the lock is held until this
  // batch ends.
  std::optional<platform::FileLock> batchLock;
  try {
    batchLock = pipeline::TakeBatchLock(files_);
  } catch (const std::exception& error) {
    messages_.Show(FailureText(error), MessageIcon::kCritical);
    return;
  }
  if (!batchLock) {
    messages_.Show(Tr(pipeline::kBatchRunningMessage), MessageIcon::kWarning);
    return;
  }

  SetBatchLock(true);
  LockJobLists(true);
  batchRunning_ = true;
  std::optional<QString> failure;
  QStringList warnings;
  std::optional<pipeline::BatchResult> finished;  // ran to its end without an error
  // Exceptions must not cross into Qt's event loop: the batch reports a
  // failing job itself, and whatever else goes wrong (a list file that
  // cannot be written) is reported here, once, and the window stays usable.
  try {
    const pipeline::BatchResult result = pipeline::RunBatch(jobList_, options, *conversion_, files_,
                                                            [this] { return closeRequested_; });
    if (result.failure) failure = QString::fromStdString(result.failure->message);
    // A part over the limit was only a status text, gone with the next one;
    // the user hears of it once the batch is over.
    for (const std::string& warning : result.warnings) warnings << QString::fromStdString(warning);
    if (!result.failure && !result.stopped) finished = result;
  } catch (const std::exception& error) {
    failure = FailureText(error);
  }
  batchRunning_ = false;
  batchLock.reset();
  LockJobLists(false);
  SetBatchLock(false);
  SyncListsFromModel();

  // The caption says "Comp!" in small print; the user is also told what was
  // converted and where it went, with the warnings in the same message.
  if (finished) {
    const QString folder =
        finished->outputFolders.empty() ? QString() : PathText(finished->outputFolders.front());
    messages_.ShowBatchSummary(QString::fromStdString(pipeline::BatchSummaryText(*finished)), folder);
  } else if (!warnings.isEmpty()) {
    messages_.Show(warnings.join(QLatin1Char('\n')), MessageIcon::kWarning);
  }
  if (failure) messages_.Show(*failure, MessageIcon::kCritical);
  progress_->hide();
  if (closeRequested_) close();
}

void Form1::mn1_Click() { CopyContentsList(); }

void Form1::CopyContentsList() {
  // No text when there are no headings yet (no job converted, or none found).
  const std::optional<std::string> text = exporting::BuildContentsListText(conversion_->headings());
  if (!text || !CopyToClipboard(QString::fromStdString(*text))) {
    messages_.Show(Tr(kCopyErrorMessage), MessageIcon::kNone);
    return;
  }
  messages_.Show(Tr(kCopiedMessage), MessageIcon::kInformation);
}

void Form1::WriteHeadingList_Click() {
  if (batchRunning_) return;
  const int selected = jobList_.selectedJob();
  if (selected < 0) {
    messages_.Show(Tr(kSelectParentMessage), MessageIcon::kNone);
    return;
  }
  const joblist::Job job = joblist::SplitJobLine(jobList_.jobs()[static_cast<std::size_t>(selected)]);
  const std::filesystem::path file = bookmarks::HeadingListFilePath(platform::PathFromUtf8(job.parent));
  // The file may hold the user's corrections: it is only replaced when they
  // say so, and they are asked before the document is read.
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(file, error)) &&
      !messages_.Confirm(Tr(kOverwriteHeadingListQuestion).arg(PathText(file)))) {
    return;
  }
  // What the recognisers find, not what the file being replaced says.
  pipeline::ConversionOptions options = CurrentOptions();
  options.headingListFile = false;

  // The recognition lets events run at every status, like a batch; the same
  // lock keeps a batch or a list change from starting inside it.
  SetBatchLock(true);
  LockJobLists(true);
  batchRunning_ = true;
  std::optional<QString> failure;
  bool written = false;
  try {
    conversion_->RecogniseHeadings(job, options);
    const bookmarks::HeadingList headings = conversion_->HeadingsOnDocumentPages();
    if (!headings.empty()) {
      bookmarks::WriteHeadingListFile(file, headings);
      written = true;
    }
  } catch (const std::exception& caught) {
    failure = QString::fromStdString(pipeline::JobFailureMessage(job, pipeline::FailureText(caught)));
  }
  batchRunning_ = false;
  LockJobLists(false);
  SetBatchLock(false);
  SyncListsFromModel();
  progress_->hide();

  if (failure) {
    messages_.Show(*failure, MessageIcon::kCritical);
  } else if (!written) {
    messages_.Show(Tr(kNoHeadingsToWriteMessage), MessageIcon::kWarning);
  } else {
    messages_.Show(Tr(kHeadingListWrittenMessage).arg(PathText(file)), MessageIcon::kInformation);
  }
  if (closeRequested_) close();
}

bool Form1::CopyToClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  const QString wanted = WithEvenLineEnds(text);
  for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
    if (WithEvenLineEnds(clipboard->text()) == wanted) return true;
    clipboard->setText(text);
  }
  return WithEvenLineEnds(clipboard->text()) == wanted;
}

void Form1::CmdFileIO_Click(int index) {
  try {
    if (index == 0) {
      const auto chosen = messages_.SaveFileName(PathText(files_.saveListPath));
      if (!chosen) return;
      joblist::SaveJobListFile(platform::PathFromUtf8(chosen->toStdString()), jobList_.jobs());
    } else if (index == 1) {
      // An interrupted batch leaves "SaveList.tmp" with the jobs it did not
      // finish: offer that first, so resuming is one click.
      std::error_code error;
      const std::filesystem::path start =
          std::filesystem::exists(files_.saveListTmpPath, error) ? files_.saveListTmpPath : files_.saveListPath;
      const auto chosen = messages_.OpenFileName(PathText(start));
      if (!chosen) return;
      jobList_.SetJobs(joblist::LoadJobListFile(platform::PathFromUtf8(chosen->toStdString())));
      SyncListsFromModel();
    }
  } catch (const std::exception& error) {
    messages_.Show(FailureText(error), MessageIcon::kCritical);
  }
}

// ---------------------------------------------------------------- closing

void Form1::closeEvent(QCloseEvent* event) {
  if (batchRunning_) {
    // The close arrives inside a status yield of the batch; the window cannot
    // go while the batch still uses it. A confirmed close lets the current
    // job finish, stops the batch and then closes (see RunBatchCommand).
    if (!closeRequested_ && messages_.Confirm(Tr(kCloseDuringBatchQuestion))) closeRequested_ = true;
    event->ignore();
    return;
  }
  Form_QueryUnload();
  event->accept();
}

void Form1::Form_QueryUnload() {
  pipeline::KillPDF(files_);
  // The close is never refused: a settings file that cannot be written is
  // reported and the window closes all the same.
  try {
    settings::WriteSettingsFile(files_.settingsPath, SettingsToWrite());
    settings::WriteExtraSettingsFile(settings::ExtraSettingsPath(files_.settingsPath), settings_);
  } catch (const std::exception& error) {
    messages_.Show(FailureText(error), MessageIcon::kWarning);
  }
}

}  // namespace vellumark::app
