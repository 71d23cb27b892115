#pragma once
// Whether a standard stream is a terminal, on either system.

namespace vellumark::platform {

// True when standard error is a terminal (a console on Windows): there a
// progress line may be rewritten in place; in a file or pipe it may not.
bool StandardErrorIsTerminal();

}  // namespace vellumark::platform
