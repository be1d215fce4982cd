#include "cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/temp_dir.h"

extern char** environ;

namespace vlt::testing {

namespace {

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

int CaptureFile(const TempDir& temp, const char* name) {
    return ::open(temp.File(name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

} // namespace

namespace {

// The child's argv and environment, kept alive until the exec.
struct ChildCommand {
    std::vector<std::string> argText;
    std::vector<std::string> envText;
    std::vector<char*> argv;
    std::vector<char*> envp;
};

void BuildCommand(ChildCommand& command, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    variables.erase("VLT95_PASSPHRASE");
    variables.erase("VLT95_PASSPHRASE2");
    for (const auto& [name, value] : environment) {
        if (value.empty()) {
            variables.erase(name);
        } else {
            variables[name] = value;
        }
    }
    for (const auto& [name, value] : variables) {
        command.envText.push_back(name + "=" + value);
    }
    for (std::string& text : command.envText) {
        command.envp.push_back(text.data());
    }
    command.envp.push_back(nullptr);
    command.argText = {VLT_CLI_PATH};
    command.argText.insert(command.argText.end(), arguments.begin(), arguments.end());
    for (std::string& text : command.argText) {
        command.argv.push_back(text.data());
    }
    command.argv.push_back(nullptr);
}

pid_t Spawn(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment, int out,
            int err) {
    ChildCommand command;
    BuildCommand(command, arguments, environment);
    const pid_t child = ::fork();
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        ::dup2(input, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(command.argv[0], command.argv.data(), command.envp.data());
        ::_exit(127);
    }
    return child;
}

} // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment) {
    TempDir capture;
    const int out = CaptureFile(capture, "out");
    const int err = CaptureFile(capture, "err");
    const pid_t child = Spawn(arguments, environment, out, err);
    int status = 0;
    ::waitpid(child, &status, 0);
    CliResult result;
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

void RunCliKilledAfter(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
                       std::chrono::microseconds delay) {
    const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = Spawn(arguments, environment, quiet, quiet);
    ::close(quiet);
    std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void CopyTree(const std::string& from, const std::string& to) {
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
}

bool SameTree(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::vector<std::string> namesA, namesB;
    for (const auto& entry : fs::recursive_directory_iterator(a)) {
        namesA.push_back(fs::relative(entry.path(), a).string());
    }
    for (const auto& entry : fs::recursive_directory_iterator(b)) {
        namesB.push_back(fs::relative(entry.path(), b).string());
    }
    std::sort(namesA.begin(), namesA.end());
    std::sort(namesB.begin(), namesB.end());
    if (namesA != namesB) {
        return false;
    }
    for (const std::string& name : namesA) {
        if (fs::is_regular_file(a + "/" + name) && ReadBytes(a + "/" + name) != ReadBytes(b + "/" + name)) {
            return false;
        }
    }
    return true;
}

void MakeFixtureTree(const std::string& root) {
    std::filesystem::create_directories(root + "/sub/deep");
    WriteText(root + "/a.txt", "hello\n");
    // Incompressible bytes from a fixed linear congruential sequence.
    std::vector<std::uint8_t> noise(70000);
    std::uint32_t state = 1;
    for (std::uint8_t& byte : noise) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    WriteBytes(root + "/sub/b.bin", noise);
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += "The quick brown fox jumps over the lazy dog " + std::to_string(i % 10) + "\n";
    }
    WriteText(root + "/sub/deep/c.txt", text);
}

} // namespace vlt::testing
