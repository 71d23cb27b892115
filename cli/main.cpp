// vellumark-cli: forwards the arguments to RunCli with the product's engine
// and folders.
#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  vellumark::cli::Environment environment;
  environment.progressLine = vellumark::platform::StandardErrorIsTerminal();
  return vellumark::cli::RunCli(args, std::cout, std::cerr, environment);
}
