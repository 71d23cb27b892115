// vellumark-cli: forwards the arguments to RunCli with the product's engine
// and folders.
#include <iostream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  vellumark::cli::Environment environment;
#ifdef _WIN32
  environment.progressLine = _isatty(_fileno(stderr)) != 0;
#else
  environment.progressLine = isatty(STDERR_FILENO) != 0;
#endif
  return vellumark::cli::RunCli(args, std::cout, std::cerr, environment);
}
