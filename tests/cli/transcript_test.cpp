// Transcripts of vlt95-cli runs (tests/cli/transcripts/*.txt), each in a fresh
// directory. Lines of a transcript:
//   ! fixture NAME        the fixture tree at {DIR}/NAME, and a copy at {DIR}/NAME.orig
//   ! write NAME TEXT     a file {DIR}/NAME holding TEXT
//   ! snapshot NAME       remember the tree {DIR}/NAME as it is now
//   ! same NAME           {DIR}/NAME is byte-identical to {DIR}/NAME.orig
//   ! unchanged NAME      {DIR}/NAME is byte-identical to its snapshot
//   ! missing NAME        {DIR}/NAME does not exist
//   ! readonly NAME       take the write permission from {DIR}/NAME
//   ! flip NAME OFFSET    flip the lowest bit of the byte at OFFSET in {DIR}/NAME
//   $ [VAR=VALUE...] ARGS  a run (stdin is no terminal); the expected stdout lines follow
//   2> LINE               an expected stderr line (stderr is checked only when given)
//   = N                   the expected exit status; ends the run
// {DIR} stands for the directory. {WIPE-NOTE} stands for the note a wipe logs for
// the file system of {DIR}, which depends on the machine; where that file system
// needs none, the line is not expected at all. Consecutive per-file log lines ("  ...") are
// compared without their order, which follows the file system's directory order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "batch/wipe_reach_note.h"
#include "cli_runner.h"
#include "common/temp_dir.h"

namespace vlt::testing {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Per-file lines sorted within each run of them.
std::vector<std::string> Normalised(std::vector<std::string> lines) {
    auto isFileLine = [](const std::string& line) { return line.rfind("  ", 0) == 0; };
    for (auto it = lines.begin(); it != lines.end();) {
        if (!isFileLine(*it)) {
            ++it;
            continue;
        }
        auto end = std::find_if_not(it, lines.end(), isFileLine);
        std::sort(it, end);
        it = end;
    }
    return lines;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The note vlt95-cli logs before wiping files of `dir`; "" when it logs none.
std::string WipeNoteFor(const std::string& dir) {
    const std::optional<MountedFileSystem> fileSystem = FileSystemOf(dir);
    return fileSystem ? WipeReachNote(*fileSystem) : std::string();
}

void Play(const std::filesystem::path& transcript) {
    TempDir temp;
    const std::string dir = temp.Path();
    const std::string wipeNote = WipeNoteFor(dir);
    std::ifstream in(transcript);
    std::map<std::string, std::string> snapshots; // name -> snapshot path
    std::vector<std::string> arguments;
    std::map<std::string, std::string> environment;
    std::vector<std::string> expectedOut, expectedErr;
    int lineNumber = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNumber;
        const std::string line = Replace(raw, "{DIR}", dir);
        SCOPED_TRACE(transcript.filename().string() + ":" + std::to_string(lineNumber));
        if (line.rfind("#", 0) == 0 || (line.empty() && arguments.empty())) {
            continue;
        }
        if (line.rfind("! ", 0) == 0) {
            const std::vector<std::string> words = Words(line.substr(2));
            ASSERT_GE(words.size(), 2U);
            const std::string path = dir + "/" + words[1];
            if (words[0] == "fixture") {
                MakeFixtureTree(path);
                CopyTree(path, path + ".orig");
            } else if (words[0] == "write") {
                std::filesystem::create_directories(std::filesystem::path(path).parent_path());
                WriteText(path, line.substr(line.find(words[1]) + words[1].size() + 1));
            } else if (words[0] == "snapshot") {
                snapshots[words[1]] = path + ".snapshot";
                std::filesystem::remove_all(snapshots[words[1]]);
                CopyTree(path, snapshots[words[1]]);
            } else if (words[0] == "same") {
                EXPECT_TRUE(SameTree(path, path + ".orig")) << path;
            } else if (words[0] == "unchanged") {
                EXPECT_TRUE(SameTree(path, snapshots.at(words[1]))) << path;
            } else if (words[0] == "missing") {
                EXPECT_FALSE(Exists(path)) << path;
            } else if (words[0] == "readonly") {
                std::filesystem::permissions(path,
                                             std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                                 std::filesystem::perms::others_write,
                                             std::filesystem::perm_options::remove);
            } else if (words[0] == "flip") {
                ASSERT_EQ(words.size(), 3U);
                std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
                file.seekg(std::stol(words[2]));
                const int byte = file.get();
                file.seekp(std::stol(words[2]));
                file.put(static_cast<char>(byte ^ 1));
                ASSERT_TRUE(file.good()) << path;
            } else {
                FAIL() << "unknown directive " << words[0];
            }
        } else if (line.rfind("$ ", 0) == 0) {
            for (const std::string& word : Words(line.substr(2))) {
                const std::size_t equals = word.find('=');
                if (arguments.empty() && equals != std::string::npos && word[0] != '-') {
                    environment[word.substr(0, equals)] = word.substr(equals + 1);
                } else {
                    arguments.push_back(word);
                }
            }
        } else if (line.rfind("2> ", 0) == 0) {
            expectedErr.push_back(line.substr(3));
        } else if (line.rfind("= ", 0) == 0) {
            const CliResult result = RunCli(arguments, environment);
            EXPECT_EQ(Normalised(Lines(result.out)), Normalised(expectedOut)) << result.err;
            if (!expectedErr.empty()) {
                EXPECT_EQ(Lines(result.err), expectedErr);
            }
            EXPECT_EQ(result.status, std::stoi(line.substr(2))) << result.err;
            arguments.clear();
            environment.clear();
            expectedOut.clear();
            expectedErr.clear();
        } else {
            ASSERT_FALSE(arguments.empty()) << "output line outside a run: " << raw;
            if (line != "{WIPE-NOTE}") {
                expectedOut.push_back(line);
            } else if (!wipeNote.empty()) {
                expectedOut.push_back(wipeNote);
            }
        }
    }
    EXPECT_TRUE(arguments.empty()) << "run without \"= N\" at the end of " << transcript;
}

TEST(CliTranscripts, EveryTranscriptPlaysAsWritten) {
    const std::filesystem::path folder = std::filesystem::path(VLT_TEST_DATA_DIR).parent_path() / "cli/transcripts";
    std::vector<std::filesystem::path> transcripts;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".txt") {
            transcripts.push_back(entry.path());
        }
    }
    std::sort(transcripts.begin(), transcripts.end());
    ASSERT_FALSE(transcripts.empty());
    for (const auto& transcript : transcripts) {
        SCOPED_TRACE(transcript.filename().string());
        Play(transcript);
    }
}

} // namespace
} // namespace vlt::testing
