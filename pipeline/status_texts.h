#pragma once
// The texts the conversion shows while it runs, the file and folder names it
// writes, and the warnings it adds where a part cannot keep the size limit.
// The front ends show them as they stand; tests compare against them.

namespace vellumark::pipeline {

// Progress, in the order one job shows them.
inline constexpr const char* kStatusWait = "wait";
inline constexpr const char* kStatusOpenFile = "Open file";
inline constexpr const char* kStatusSetZoom = "Set Zoom 100%";
inline constexpr const char* kStatusDeleteThumbnails = "Delete Thumbnail's";
inline constexpr const char* kStatusMakeThumbnails = "Make Thumbnail's";
inline constexpr const char* kStatusLoadBookmark = "Load bookmark";
inline constexpr const char* kStatusSave = "Save";
inline constexpr const char* kStatusComplete = "Comp!";
// "P.<start> : <title>" per plan entry of the heading split.
inline constexpr const char* kStatusPagePrefix = "P.";
inline constexpr const char* kStatusPageSeparator = " : ";
// "<part file name> ; <KB>" after each measuring save of the size cut.
inline constexpr const char* kStatusSizeSeparator = " ; ";

// The title of the split plan's closing entry.
inline constexpr const char* kEndOfPlanTitle = "EOF";

// Folder beside the parent that receives the output.
inline constexpr const char* kOutputFolderName = "変換済み";
// Part files: <parent name without extension>_<NNN>.PDF; backups end in "bak".
inline constexpr const char* kPartSeparator = "_";
inline constexpr const char* kPartExtension = ".PDF";
inline constexpr const char* kBackupSuffix = "bak";

// Warnings shown where a part has to stay over the limit
// rather than loop or lose pages; the file name follows.
inline constexpr const char* kWarnPageOverLimit = "警告: 1ページだけで分割サイズを超えるため、そのまま保存します: ";
// A page the engine would not draw (too costly in time or memory) keeps no
// thumbnail; the file name and the page number there follow.
inline constexpr const char* kWarnNoThumbnail = "警告: 描画に時間かメモリがかかりすぎるため、サムネールを作成しません: ";
inline constexpr const char* kWarnPageSuffix = " ページ";
inline constexpr const char* kWarnNoCutFound = "警告: 分割サイズ以内に切り分けられないため、そのまま保存します: ";

// The contents page has no line "END": where the contents end was taken
// from the pages that give entries, and the bookmarks may be off.
inline constexpr const char* kWarnContentsEndMissing =
    "警告: 目次の END 行が見つかりません。しおりの移動先が正しくない可能性があります";
// The contents mode found no contents page, or none that gave an entry: the
// job's headings come from a scan of every page instead.
inline constexpr const char* kWarnContentsNotFound = "警告: 目次が見つからないため、全ページ検索でしおりを作成しました";
// No heading at all: the file has its cover bookmark only.
inline constexpr const char* kWarnNoHeadings = "警告: 見出しが見つかりませんでした";
// Contents entries whose heading stood on another page than the contents
// said, moved there; their titles follow.
inline constexpr const char* kWarnContentsTargetsCorrected =
    "警告: 目次のページ番号と本文が一致しないため、しおりの移動先を補正しました: ";
// Contents entries whose page number is printed on no page although the
// document prints page numbers: placed by counting pages after the
// contents; their titles follow.
inline constexpr const char* kWarnContentsNumberNotPrinted =
    "警告: 目次のページ番号が本文に印刷されたページ番号にないため、目次の後からページを数えました: ";
// Bookmarks made (forced creation) whose page lies in no file of the job;
// their titles follow.
inline constexpr const char* kWarnBookmarksOutsideJob = "警告: 移動先のページがどのファイルにもないしおりがあります: ";
// A part whose links into later parts made it outgrow the limit when they
// were put right; the file name follows.
inline constexpr const char* kWarnLinksOverLimit =
    "警告: 他のファイルへのしおりを書き込んだ結果、分割サイズを超えました: ";
// The headings came from the user's heading list file beside the parent,
// not from the document: said for every such job, so that a list left
// behind from earlier work cannot go unnoticed. The file name follows.
inline constexpr const char* kWarnHeadingListFile = "見出しリストのファイルからしおりを作成しました: ";
// A file of the job that has no page: the job goes on without it.
inline constexpr const char* kWarnNoPages = "警告: ページがない PDF のため、何も追加しませんでした: ";

// A job file that is a folder, a FIFO or a device rather than a file.
inline constexpr const char* kNotARegularFile = "通常のファイルではないため開けません";

}  // namespace vellumark::pipeline
