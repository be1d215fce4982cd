#pragma once
// Runs the built vlt95-cli with stdin from /dev/null (no terminal) and captures what
// it prints and its exit status.
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace vlt::testing {

struct CliResult {
    std::string out;
    std::string err;
    int status = -1;
};

// `environment` adds to (or, with an empty value, removes from) the test's own
// environment; the passphrase variables are always removed first.
CliResult RunCli(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment = {});

// Starts the CLI as above (its output discarded) and SIGKILLs it after `delay`,
// wherever it is by then (it may have finished).
void RunCliKilledAfter(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
                       std::chrono::microseconds delay);

// Lines of a text without their line ends.
std::vector<std::string> Lines(const std::string& text);

// Copies a directory tree; true when every file of `a` is byte-identical in `b` and
// neither holds anything the other lacks.
void CopyTree(const std::string& from, const std::string& to);
bool SameTree(const std::string& a, const std::string& b);

// The fixture tree: a.txt, sub/b.bin (binary), sub/deep/c.txt (compressible text).
void MakeFixtureTree(const std::string& root);

} // namespace vlt::testing
