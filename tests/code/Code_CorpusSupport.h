// The program corpus of tests/code/corpus/: one reader of its files for every runner (the interpreter,
// the tree executor and the whole-game player).
//
// The format of a corpus file (UTF-8 text, one directive per line, directives start at column 0):
//
//   ## a comment                     ignored wherever it stands
//   @script NAME                     the lines up to the next directive are the script NAME; scripts
//                                    are numbered 0, 1, ... in file order and may call each other
//   @main                            the lines up to the next directive are the program (lines before
//                                    the first directive belong to it too)
//   @instance ID OBJECT [VAR=N ...]  an instance of the room, in room order, with user variables set
//                                    to numbers
//   @self ID                         the program runs for that instance (by default for an instance
//                                    of its own, 199999 of no object, outside the room); other is
//                                    self
//   @result N                        the program must return the real N (compared exactly)
//   @result "TEXT"                   ... or the string TEXT (\" \\ \n \t are escapes)
//   @error TEXT                      ... or stop with an interpreter error whose text starts so
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace corpustest {

constexpr int32_t DEFAULT_SELF_ID = 199999;

struct CorpusVariable {
    std::string name;
    std::string text; // the number as the file writes it
    double real = 0;
};

struct CorpusInstance {
    int32_t id = 0;
    int32_t object = 0;
    std::vector<CorpusVariable> variables;
};

struct CorpusProgram {
    enum class Expect { Nothing, Real, Text, Error };

    std::string main;
    std::vector<std::pair<std::string, std::string>> scripts; // name, source
    std::vector<CorpusInstance> instances;
    int32_t self = DEFAULT_SELF_ID;
    bool selfGiven = false;
    Expect expect = Expect::Nothing;
    double real = 0;
    std::string text;    // the expected string or error
    std::string problem; // the first line the reader could not take, or a missing result
};

// One directive; false when its line cannot be taken.
inline bool CorpusParseDirective(const std::string& directive, const std::string& rest, CorpusProgram& program,
                                 std::string*& section)
{
    using Expect = CorpusProgram::Expect;
    if (directive == "@script") {
        program.scripts.emplace_back(rest, "");
        section = &program.scripts.back().second;
        return !rest.empty();
    }
    if (directive == "@main") return (section = &program.main), true;
    if (directive == "@self") return (program.self = std::atoi(rest.c_str())), (program.selfGiven = true);
    if (directive == "@error") return (program.expect = Expect::Error), (program.text = rest), !rest.empty();
    if (directive == "@instance") {
        std::istringstream words(rest);
        CorpusInstance instance;
        if (!(words >> instance.id >> instance.object)) return false;
        for (std::string assignment; words >> assignment;) {
            size_t equals = assignment.find('=');
            if (equals == std::string::npos) return false;
            std::string value = assignment.substr(equals + 1);
            instance.variables.push_back({assignment.substr(0, equals), value, std::atof(value.c_str())});
        }
        program.instances.push_back(instance);
        return true;
    }
    if (directive != "@result") return false;
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') {
        program.expect = Expect::Text;
        for (size_t i = 1; i + 1 < rest.size(); ++i) {
            char c = rest[i];
            if (c == '\\' && i + 2 < rest.size()) c = rest[++i] == 'n' ? '\n' : rest[i] == 't' ? '\t' : rest[i];
            program.text += c;
        }
        return true;
    }
    char* end = nullptr;
    program.real = std::strtod(rest.c_str(), &end);
    program.expect = Expect::Real;
    return !rest.empty() && end != nullptr && *end == '\0';
}

inline CorpusProgram ParseCorpus(const std::string& fileText)
{
    CorpusProgram program;
    std::string* section = &program.main;
    std::istringstream lines(fileText);
    std::string line;
    for (int32_t number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("##", 0) == 0) continue;
        if (line.empty() || line[0] != '@') {
            *section += line + "\n";
            continue;
        }
        std::istringstream words(line);
        std::string directive, rest;
        words >> directive;
        std::getline(words >> std::ws, rest);
        if (!CorpusParseDirective(directive, rest, program, section) && program.problem.empty())
            program.problem = "line " + std::to_string(number) + ": " + line;
    }
    if (program.expect == CorpusProgram::Expect::Nothing && program.problem.empty())
        program.problem = "no @result or @error";
    return program;
}

inline std::filesystem::path CorpusFolder() { return std::filesystem::path(KELVARO_SOURCE_DIR) / "tests/code/corpus"; }
inline std::filesystem::path CorpusPath(const std::string& name) { return CorpusFolder() / (name + ".txt"); }

// The programs' names, sorted, without the folder and the ".txt".
inline std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(CorpusFolder(), error))
        if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline CorpusProgram ReadCorpus(const std::string& name)
{
    std::ifstream in(CorpusPath(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return ParseCorpus(text.str());
}

// A test name for each program: the file name with anything but letters and digits made '_'.
inline std::string CorpusTestName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

} // namespace corpustest
