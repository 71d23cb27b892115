#pragma once
// What the engine tells a user when a PDF cannot be read or written. Plain
// sentences without the file name: PdfError puts the name in front.

namespace vellumark::acrobat {

inline constexpr const char* kFileNotFound = "ファイルが見つかりません";
inline constexpr const char* kFileUnreadable = "ファイルを読み込めません";
inline constexpr const char* kNotPdf = "PDF ファイルではありません";
inline constexpr const char* kNeedsPassword = "パスワードが必要な PDF は開けません";
inline constexpr const char* kDamaged = "ファイルが壊れていて読めません";
inline constexpr const char* kFileTooLarge = "ファイルが大きすぎて読めません";
inline constexpr const char* kCannotSave = "PDF ファイルを保存できません";
inline constexpr const char* kPageTextUnreadable = "ページの文字を読み取れません";
inline constexpr const char* kThumbnailFailed = "サムネールを作成できません";
inline constexpr const char* kTooComplex = "PDF が複雑すぎるか大きすぎるため処理できません";
inline constexpr const char* kNotRegularFile = "通常のファイルではないため開けません";
inline constexpr const char* kBadPageRange = "ページの指定が文書のページ数と合いません";
inline constexpr const char* kDocumentClosed = "閉じた文書は操作できません";
inline constexpr const char* kForeignDocument = "この文書からはページを挿入できません";

}  // namespace vellumark::acrobat
