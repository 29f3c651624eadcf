#pragma once
// Starting a program and waiting for it, without a shell in between. No Qt here.
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

// Runs args[0] (looked up on $PATH) with its standard output sent to standard error; the exit status, or
// -1 when it did not end normally, 127 when it could not be started.
int runProgram(const std::vector<std::string>& args);

// Runs args[0] with standard input from /dev/null, collecting its standard output and error into `output`;
// killed after `timeoutSeconds`. The exit status as above (-1 when killed).
int runCollecting(const std::vector<std::string>& args, int timeoutSeconds, std::string& output);

} // namespace vorlin::vorlinbuild
