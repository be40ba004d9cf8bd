// Case tables kept under tests/data: one case a line, fields separated by tabs, the last
// field the expected result. Lines that are empty or start with '#' are notes.
// Field bytes: \xNN, \t, \r, \n, \\ and \{N:c} for the byte c repeated N times.
#ifndef EDLBRIDGE_TESTS_PARSE_CASE_TABLE_H
#define EDLBRIDGE_TESTS_PARSE_CASE_TABLE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/expected_output.h"
#include "support/test_support.h"

namespace edlbtest {

inline std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) { out += s[i]; continue; }
        const char c = s[++i];
        if (c == 'x') { out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)); i += 2; }
        else if (c == '{') {
            const size_t colon = s.find(':', i), close = s.find('}', colon + 2);
            out.append(std::stoul(s.substr(i + 1, colon - i - 1)), s[colon + 1]);
            i = close;
        } else out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

// The reverse of unescape, with runs of 16 or more equal bytes written as \{N:c}.
inline std::string escape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t run = 1;
        while (i + run < s.size() && s[i + run] == s[i]) ++run;
        if (run >= 16 && c > 32 && c < 127 && c != '\\' && c != '}') {
            out += "\\{" + std::to_string(run) + ":" + static_cast<char>(c) + "}";
            i += run;
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c == '\t' ? "\\t" : c == '\\' ? "\\\\" : (c < 32 || c >= 127) ? hex : std::string(1, c);
        ++i;
    }
    return out;
}

using Args = std::vector<std::string>;
inline uint32_t num(const std::string& s) { return s.empty() ? 0 : std::stoul(s, nullptr, 0); }
inline std::string q(const char* s) { return "'" + std::string(s) + "'"; }

inline std::string hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// Copy that a classifier may write into.
inline std::vector<char> writable(const std::string& s) {
    std::vector<char> v(s.begin(), s.end());
    v.push_back('\0');
    return v;
}

// Runs every row of tests/data/<relative>: the first field names the function of `runners`,
// the fields after it up to the last are its (unescaped) arguments, and what it returns is
// compared with the last field after escaping. EDLBRIDGE_UPDATE_EXPECTED rewrites the last
// fields instead; the new table is then read against what the cases mean before it is kept.
using Runner = std::function<std::string(const Args&)>;
inline void checkTable(const std::string& relative, const std::map<std::string, Runner>& runners) {
    std::ifstream in(dataPath(relative), std::ios::binary);
    ASSERT_TRUE(in) << relative;
    const bool update = updatingExpected();
    std::string line, rewritten;
    for (int number = 1; std::getline(in, line); ++number) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (!line.empty() && line.back() == '\t') fields.push_back("");
        if (line.empty() || line[0] == '#' || fields.size() < 2) { rewritten += line + "\n"; continue; }
        auto runner = runners.find(fields[0]);
        EXPECT_NE(runner, runners.end()) << relative << ":" << number;
        if (runner == runners.end()) continue;
        std::vector<std::string> args;
        for (size_t i = 1; i + 1 < fields.size(); ++i) args.push_back(unescape(fields[i]));
        const std::string actual = escape(runner->second(args));
        if (!update) {
            EXPECT_EQ(actual, fields.back()) << relative << ":" << number << "  " << line.substr(0, 80);
        }
        fields.back() = actual;
        std::string row = fields[0];
        for (size_t i = 1; i < fields.size(); ++i) row += "\t" + fields[i];
        rewritten += row + "\n";
    }
    if (update) {
        EXPECT_TRUE(matchesExpected(dataPath(relative), rewritten)) << "cannot write " << relative;
    }
}

}  // namespace edlbtest

#endif
