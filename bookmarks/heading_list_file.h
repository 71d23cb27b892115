#pragma once
// The heading list as a file the user keeps beside the parent PDF
// ("報告書.pdf" → "報告書.headings.tsv"): the recognisers only guess from the
// text, and this file lets the user put their guesses right without
// touching the PDF. It holds what `vellumark-cli headings` prints, one entry
// per line as EntryText writes it (UTF-8, chapter "title⇥page", section
// "⇥title⇥page", item "⇥⇥title⇥page"), the page being the 1-based page of
// the job's merged document.
#include <cstddef>
#include <filesystem>
#include <string>

#include "bookmarks/heading_list.h"

namespace vellumark::bookmarks {

// What follows the parent's name without its extension.
inline constexpr const char* kHeadingListFileSuffix = ".headings.tsv";

// A heading list is a few kilobytes; anything this large is some other file.
inline constexpr std::size_t kMaxHeadingListFileBytes = 4 * 1024 * 1024;

// The messages of a file that cannot be used. A line's number and why it
// cannot be read follow kLineUnreadablePrefix.
inline constexpr const char* kHeadingListTooLarge = "見出しリストのファイルが大きすぎます (4 MB まで)";
inline constexpr const char* kHeadingListEmpty = "見出しリストに見出しが 1 つもありません";
inline constexpr const char* kLineUnreadablePrefix = "見出しリストの ";
inline constexpr const char* kLineUnreadableSuffix = " 行目を読み取れません: ";
inline constexpr const char* kTooManyTabs = "行頭の TAB は 2 つまでです (章・節・項)";
inline constexpr const char* kNoPage = "タイトルの後に TAB とページ番号がありません";
inline constexpr const char* kBadPage = "ページ番号が 1 以上の整数ではありません";
inline constexpr const char* kNoTitle = "タイトルが空です";
inline constexpr const char* kControlInTitle = "タイトルに TAB などの制御文字があります";
inline constexpr const char* kNotUtf8 = "UTF-8 の文字として読めないバイトがあります";

// "<folder of the parent>/<parent name without extension>.headings.tsv".
std::filesystem::path HeadingListFilePath(const std::filesystem::path& parentPath);

// The file's text: EntryText of each heading, each line ended by LF.
std::string HeadingListText(const HeadingList& list);

// Parses the text of a heading list file. Lines end in LF or CR LF; a UTF-8
// byte order mark at the start and blank lines are passed over; titles are
// kept exactly as written. Throws UserError naming `file` and the line for
// a line that is no heading entry, and for a text without any heading.
HeadingList ParseHeadingListText(const std::string& text, const std::filesystem::path& file);

// Reads and parses the file. Throws UserError (missing, unreadable, too
// large, or as ParseHeadingListText).
HeadingList ReadHeadingListFile(const std::filesystem::path& path);

// Writes HeadingListText(list) at `path` through the atomic writer. Throws
// UserError.
void WriteHeadingListFile(const std::filesystem::path& path, const HeadingList& list);

}  // namespace vellumark::bookmarks
