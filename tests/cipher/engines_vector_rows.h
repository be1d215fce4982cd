#pragma once
// Rows of a known-answer file in tests/data/cipher/: the whitespace-separated
// fields of every line that is neither empty nor a '#' comment.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vlt::testing {

inline std::vector<std::vector<std::string>> ReadVectorRows(const std::string& name) {
    std::ifstream file(std::string(VLT_TEST_DATA_DIR) + "/cipher/" + name);
    EXPECT_TRUE(file) << "missing " << name;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream stream(line);
        std::vector<std::string> fields;
        for (std::string field; stream >> field;) {
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

} // namespace vlt::testing
