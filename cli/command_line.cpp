#include "cli/command_line.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "joblist/job_line.h"
#include "platform/folders.h"
#include "platform/utf8.h"
#include "settings/conversion_options.h"
#include "settings/extra_settings.h"

namespace vellumark::cli {

namespace {

// An option with a value, and what that value sets.
struct ValueOption {
  std::string name;
  std::string value;
};

// The choices of an option with named values, in the settings record's
// numbering.
const std::map<std::string, std::map<std::string, int>>& NamedChoices() {
  static const std::map<std::string, std::map<std::string, int>> choices = {
      {"--headings", {{"contents", 0}, {"scan", 1}}},
      {"--unit", {{"chapter", 0}, {"section", 1}, {"all", 2}, {"size", 3}}},
      {"--thumbnails", {{"all", 0}, {"first", 1}}},
  };
  return choices;
}

bool TakesValue(const std::string& name) {
  return name == "--settings" || name == "--delimiter" || name == "--split-mb" || NamedChoices().count(name) != 0;
}

bool IsFlag(const std::string& name) {
  return name == "--no-force" || name == "--one-file" || name == "--keep-thumbnails" || name == "--contents-list" ||
         name == "--full-outline" || name == "--strict";
}

// What the options change before the mapping to the conversion options:
// the settings record as the window would hold it, the size as typed and a
// delimiter given on the command line, taken as it is (an empty one means no
// contents heading, where an empty one in the settings file means "･").
struct ParsedSettings {
  settings::SettingsRecord record;
  std::string sizeText;
  std::optional<std::string> delimiter;
};

// Applies one option to the settings; returns an error text or "".
std::string ApplyOption(const ValueOption& option, Request& request, ParsedSettings& s) {
  settings::SettingsRecord& r = s.record;
  if (option.name == "--no-force") {
    r.Check2 = 0;
  } else if (option.name == "--one-file") {
    r.OpSave = 1;
  } else if (option.name == "--keep-thumbnails") {
    r.Check1 = 0;
  } else if (option.name == "--full-outline") {
    r.fullOutline = true;
  } else if (option.name == "--contents-list") {
    request.contentsList = true;
  } else if (option.name == "--strict") {
    request.strict = true;
  } else if (option.name == "--split-mb") {
    // Checked with the rest once every option is in: a later --one-file
    // makes the size irrelevant.
    r.OpSave = 0;
    s.sizeText = option.value;
  } else if (option.name == "--delimiter") {
    const std::u32string characters = platform::ToU32(option.value);
    if (characters.size() > 1) return "--delimiter には 1 文字だけを指定してください: " + option.value;
    if (characters.size() == 1 && characters[0] == U'\uFFFD' && option.value != "\xEF\xBF\xBD") {
      return "--delimiter の文字が UTF-8 ではありません";
    }
    s.delimiter = option.value;
  } else {
    const auto& choices = NamedChoices().at(option.name);
    const auto it = choices.find(option.value);
    if (it == choices.end()) {
      std::string allowed;
      for (const auto& [word, index] : choices) allowed += (allowed.empty() ? "" : "|") + word;
      return option.name + " の値「" + option.value + "」は使えません (" + allowed + ")";
    }
    const auto value = static_cast<std::int16_t>(it->second);
    if (option.name == "--headings") r.makeBM2mokuji = value;
    if (option.name == "--unit") r.OpSplit = value;
    if (option.name == "--thumbnails") r.fullThumbnail = value;
  }
  return "";
}

ParseResult UsageError(std::string text) {
  ParseResult result;
  result.error = std::move(text);
  return result;
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  // --help, then --version, win wherever they stand, before anything can be
  // wrong.
  bool version = false;
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return ParseResult{Request{}, "", ""};
    version = version || arg == "--version";
  }
  if (version) {
    Request request;
    request.command = Command::kVersion;
    return ParseResult{request, "", ""};
  }
  if (args.empty()) return UsageError("コマンドを指定してください (convert, batch, headings)");

  Request request;
  const std::string& command = args[0];
  if (command == "convert") {
    request.command = Command::kConvert;
  } else if (command == "batch") {
    request.command = Command::kBatch;
  } else if (command == "headings") {
    request.command = Command::kHeadings;
  } else {
    return UsageError("不明なコマンドです: " + command);
  }

  std::vector<ValueOption> options;
  std::string settingsFile;
  bool optionsEnded = false;
  // One pass over the arguments; a value option consumes the next one.
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.rfind("--", 0) != 0) {
      if (!optionsEnded && arg.size() > 1 && arg[0] == '-') return UsageError("不明なオプションです: " + arg);
      request.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const auto equals = arg.find('='); equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    if (TakesValue(name)) {
      if (!value) {
        if (i + 1 >= args.size()) return UsageError(name + " には値が必要です");
        value = args[++i];
      }
    } else if (IsFlag(name)) {
      if (value) return UsageError(name + " は値をとりません");
    } else {
      return UsageError("不明なオプションです: " + arg);
    }
    if (name == "--contents-list" && request.command != Command::kHeadings) {
      return UsageError("--contents-list は headings コマンドでだけ使えます");
    }
    if (name == "--settings") {
      settingsFile = *value;
    } else {
      options.push_back({name, value.value_or("")});
    }
  }

  ParseResult result;
  ParsedSettings settings;
  if (!settingsFile.empty()) {
    const std::filesystem::path path = platform::PathFromUtf8(settingsFile);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return UsageError("設定ファイルが見つかりません: " + settingsFile);
    // A short file still gives the fields it holds; the rest keep their
    // initial values, and the user hears about it.
    if (!settings::ReadSettingsFile(path, settings.record)) {
      result.warning = "設定ファイルが短すぎます。足りない項目は初期値のままです: " + settingsFile;
    }
    // The options the settings file has no room for, from the file the
    // window keeps beside it, when there is one.
    settings::ReadExtraSettingsFile(settings::ExtraSettingsPath(path), settings.record);
  }
  settings.sizeText = settings::SizeTextOf(settings.record);
  for (const ValueOption& option : options) {
    if (std::string error = ApplyOption(option, request, settings); !error.empty()) return UsageError(error);
  }

  if (request.command == Command::kBatch && request.files.size() != 1) {
    return UsageError("batch にはジョブリストのファイルを 1 つ指定してください");
  }
  if (request.command != Command::kBatch) {
    if (request.files.empty()) return UsageError("親 PDF ファイルを指定してください");
    for (const std::string& file : request.files) {
      if (!joblist::IsPdfPath(file)) return UsageError("PDF ファイルではありません: " + file);
      if (joblist::HasTabInName(file)) return UsageError(joblist::kTabInNameMessage + file);
    }
  }
  // In split mode a batch must not start with a size no part can be cut to;
  // in one-file mode (and for the heading list) the size is not used.
  // (A split unit outside the buttons never gets here: the settings file
  // loads it as chapters, and --unit takes only the named units.)
  if (settings.record.OpSave == 0) {
    if (request.command != Command::kHeadings) {
      if (auto message = pipeline::CheckSizeText(settings.sizeText)) return UsageError(*message);
    } else if (pipeline::CheckSizeText(settings.sizeText)) {
      // The heading list writes no part, so a size it could not cut to is
      // no error there; the options it runs with just name no limit.
      settings.record.OpSave = 1;
    }
  }
  request.options = settings::OptionsFromSettings(settings.record, settings.sizeText);
  if (settings.delimiter) request.options.delimiter = *settings.delimiter;
  result.request = std::move(request);
  return result;
}

std::string HelpText() {
  return R"(使い方:
  vellumark-cli convert  [オプション] 親.pdf [子.pdf ...]
  vellumark-cli batch    [オプション] ジョブリスト.txt
  vellumark-cli headings [オプション] [--contents-list] 親.pdf [子.pdf ...]

PDF を電子納品用に変換します。親 PDF の後に子 PDF を順に結合し、しおり・
サムネール・開き方を設定して、親と同じフォルダーの「変換済み」に保存します。

コマンド:
  convert    1 つのジョブを変換します。
  batch      ジョブリスト (1 行 1 ジョブ、TAB 区切り、Shift-JIS または
             UTF-8、改行は CR LF または LF) のジョブを上から順に変換します。アプリケーション
             フォルダーの SaveList.txt と SaveList.tmp をウィンドウと同じように
             更新するので、中断した一括変換は SaveList.tmp を指定して再開
             できます。
  headings   ジョブを結合して見出しを認識し、見出しリストを 1 行 1 項目
             (TAB 区切り、UTF-8、ページは結合した文書の 1 から数えた
             ページ) で標準出力に書きます。--contents-list を付けると
             目次リストのコピーと同じテキストを書きます。

見出しリストのファイル:
  親と同じフォルダーに「親の名前 (拡張子なし).headings.tsv」があると、
  convert と batch は見出しを認識せず、そのファイルからしおりを作ります。
  headings の出力をそのファイルに保存して直すと、しおりを直せます:
    vellumark-cli headings 報告書.pdf 付録.pdf > 報告書.headings.tsv
  読めない行があるとジョブは失敗し、何も書きません。

オプション (省略時は設定の初期値):
  --settings FILE            設定ファイル (Vellumark.ini の形式) を先に読み、
                             ほかのオプションで上書きします (同じフォルダーの
                             Vellumark.ext.ini があればそれも読みます)
  --headings contents|scan   見出しを目次から読む / 全ページを検索する
  --delimiter C              目次の区切り文字 (1 文字、空も可。初期値 ･)
  --no-force                 しおりを強制作成しない
  --one-file                 1 ファイルで保存する
  --split-mb N               N MB 以下に分割して保存する (1 から 2048)
  --unit chapter|section|all|size
                             分割の単位: 章 / 節 / すべて考慮 / 考慮しない
  --thumbnails all|first     サムネールを全ページ / 最初のページのみに埋め込む
  --keep-thumbnails          埋め込む前に既存のサムネールを削除しない
  --full-outline             分割したすべてのファイルにジョブ全体のしおりを
                             入れる (ほかのファイルの見出しはそのファイルへの
                             リンク)
  --strict                   警告があれば終了コード 3 で終わる
  --help                     この説明を表示します
  --version                  バージョンを表示します

進行状況と、変換の終わりに件数・出力先・警告のまとめが標準エラーに出ます。
終了コード: 0 成功、1 ジョブの失敗
(標準エラーにジョブとファイルを示すメッセージ)、2 使い方の誤り、
3 --strict を付けて警告があった (見出しリストのファイルを使った旨も警告に
数えます)。
)";
}

}  // namespace vellumark::cli
