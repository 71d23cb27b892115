#pragma once
// The command line of vellumark-cli: what it asks for, parsed without
// touching any file except the settings file it names.
#include <optional>
#include <string>
#include <vector>

#include "pipeline/conversion.h"

namespace vellumark::cli {

enum class Command { kHelp, kVersion, kConvert, kBatch, kHeadings };

struct Request {
  Command command = Command::kHelp;
  pipeline::ConversionOptions options;
  std::vector<std::string> files;  // UTF-8, as given
  bool contentsList = false;       // "headings": the contents list copy instead
  bool strict = false;             // a run with warnings ends in kExitWarnings
};

struct ParseResult {
  std::optional<Request> request;
  std::string error;    // set when request is empty: a usage error
  std::string warning;  // something the user should know, the run goes on
};

// `args` without the program name. "--settings FILE" is read first whatever
// its place; the other options then override it in the order given.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

}  // namespace vellumark::cli
