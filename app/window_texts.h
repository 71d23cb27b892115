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

// Button texts of the message boxes, so they read Japanese whether or not a
// Qt translation is installed.
inline constexpr const char* kOkButton = "OK";
inline constexpr const char* kYesButton = "はい";
inline constexpr const char* kNoButton = "いいえ";

}  // namespace vellumark::app
