#pragma once
// The window's own texts: title, menu captions and the messages it shows.
// Control captions stand in the layout table (form_layout.cpp) beside their
// positions; the conversion's messages come from the pipeline.

namespace vellumark::app {

inline constexpr const char* kWindowTitle = "Vellumark";

inline constexpr const char* kBatchMenuCaption = "連続変換";
inline constexpr const char* kToolMenuCaption = "Tool";
inline constexpr const char* kCopyContentsCaption = "目次リストのコピー";
// Checkable: every part file carries the whole bookmark tree of the job.
inline constexpr const char* kFullOutlineCaption = "分割した各ファイルにすべてのしおりを入れる";

// Tool › write the selected job's recognised headings to the heading list
// file beside its parent, which later conversions then take them from. %1
// is that file.
inline constexpr const char* kWriteHeadingListCaption = "見出しリストを書き出す";
inline constexpr const char* kOverwriteHeadingListQuestion = "%1 はすでにあります。上書きしますか？";
inline constexpr const char* kHeadingListWrittenMessage =
    "見出しリストを書き出しました。このジョブのしおりは次の変換から、このファイルの見出しで作ります:\n%1";
// Nothing to write: an empty list would stop every later conversion of the
// job, so no file is written.
inline constexpr const char* kNoHeadingsToWriteMessage = "見出しが見つからないため、見出しリストを書き出しません";

inline constexpr const char* kSelectParentMessage = "親ファイルを選択してください";
inline constexpr const char* kCopiedMessage = "クリップボードにコピーしました";
inline constexpr const char* kCopyErrorMessage = "Error!";
inline constexpr const char* kCloseDuringBatchQuestion = "変換中です。終了しますか？";

// The delimiter box falls back to this when the settings file leaves it empty.

// Captions of the two list-file dialogs and the file types they offer; the
// ".tmp" type is there so that an interrupted batch's "SaveList.tmp" can be
// picked without switching the filter.
inline constexpr const char* kSaveListDialogCaption = "リストを保存";
inline constexpr const char* kOpenListDialogCaption = "リストを開く";
inline constexpr const char* kListFileFilter = "リスト (*.txt *.tmp);;すべてのファイル (*)";

// Adding files without dragging: the menu, its dialog's captions (parents
// for the job list, children for the selected job) and the files offered.
inline constexpr const char* kFileMenuCaption = "ファイル";
inline constexpr const char* kAddFilesCaption = "ファイルを追加…";
inline constexpr const char* kQuitCaption = "終了";
inline constexpr const char* kAddParentsDialogCaption = "親ファイルを追加";
inline constexpr const char* kAddChildrenDialogCaption = "子ファイルを追加";
inline constexpr const char* kPdfFileFilter = "PDF ファイル (*.pdf *.PDF);;すべてのファイル (*)";

// The help menu and its about box; the version follows the name.
inline constexpr const char* kHelpMenuCaption = "ヘルプ";
inline constexpr const char* kAboutCaption = "Vellumark について";
inline constexpr const char* kAboutText =
    "Vellumark %1\n\n電子納品用の PDF を作ります: 親と子の PDF を結合し、"
    "しおり・サムネール・開き方を設定して「変換済み」に保存します。";

// What the empty lists say until something is dropped on them.
inline constexpr const char* kJobListPlaceholder =
    "ここに親 PDF をドロップしてください (1 ファイルが 1 ジョブ)。\n"
    "「ファイル」›「ファイルを追加…」(Ctrl+O) でも追加できます。";
inline constexpr const char* kChildListPlaceholder =
    "上のジョブを選んで、その子 PDF をここにドロップしてください。";

// Button texts of the message boxes, so they read Japanese whether or not a
// Qt translation is installed.
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kYesButton = "はい";
inline constexpr const char* kNoButton = "いいえ";
inline constexpr const char* kOpenFolderButton = "フォルダを開く";

}  // namespace vellumark::app
