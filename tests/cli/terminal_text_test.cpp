// Help text folded for a terminal, and the command a slip of the keyboard meant.
#include "terminal_text.h"

#include <gtest/gtest.h>

#include <sstream>

#include "command_suggestion.h"

namespace zemlo::cli {
namespace {

// Every line of a folded text fits the width (unless it is one word too long to break).
void expect_fits(const std::string &text, size_t width) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(' ', line.find_first_not_of(' ')) != std::string::npos) {
            EXPECT_LE(terminal_columns(line), width) << "[" << line << "]";
        }
    }
}

// The words of a text, whatever the spaces and line ends between them.
std::string words(const std::string &text) {
    std::istringstream in(text);
    std::string out;
    for (std::string word; in >> word;) {
        out += word + " ";
    }
    return out;
}

TEST(TerminalText, ColumnsCountAChineseCharacterAsTwo) {
    EXPECT_EQ(terminal_columns("list"), 4u);
    EXPECT_EQ(terminal_columns("手机"), 4u);
    EXPECT_EQ(terminal_columns("COM3（不存在）"), 4u + 10u);
    EXPECT_EQ(terminal_columns(""), 0u);
}

TEST(TerminalText, EnglishFoldsAtSpacesUnderItsIndentAndKeepsEveryWord) {
    const std::string line =
        "      convert pictures and MIDI files and download them to the handset in one "
        "connection (a name defaults to the file's own: at most 8 ASCII letters and digits)";
    const std::string folded = fold_line(line, 40, 6);
    expect_fits(folded, 40);
    EXPECT_EQ(words(folded), words(line));
    EXPECT_EQ(folded.find("\n      "), folded.find('\n'));
    EXPECT_EQ(folded.find(" \n"), std::string::npos) << "no trailing spaces";
    // A line that fits, or a width too narrow to fold in, is left as it is.
    EXPECT_EQ(fold_line("  list [--json]", 80, 6), "  list [--json]");
    EXPECT_EQ(fold_line(line, 20, 6), line);
}

TEST(TerminalText, ChineseFoldsBetweenCharactersButNeverBeforeClosingPunctuation) {
    const std::string line =
        "      把图片和MIDI文件转换后在一次连接里下载到手机（名字默认取文件自己的名字："
        "最多8个ASCII字母和数字），同名文件只有在 --replace 时才会被替换。";
    const std::string folded = fold_line(line, 30, 6);
    expect_fits(folded, 30);
    EXPECT_GT(std::count(folded.begin(), folded.end(), '\n'), 2);
    std::string joined;
    std::istringstream lines(folded);
    for (std::string part; std::getline(lines, part);) {
        const std::string text = part.substr(part.find_first_not_of(' '));
        for (const char *closing : {"，", "。", "）", "："}) {
            EXPECT_NE(text.rfind(closing, 0), 0u) << "[" << part << "]";
        }
        EXPECT_NE(part.size() >= 3 ? part.substr(part.size() - 3) : part, "（") << part;
        joined += text;
    }
    // Nothing lost but the spaces at the folds.
    const auto unspaced = [](std::string text) {
        std::erase(text, ' ');
        std::erase(text, '\n');
        return text;
    };
    EXPECT_EQ(unspaced(folded), unspaced(line));
    EXPECT_NE(joined.find("最多8个ASCII字母和数字"), std::string::npos) << joined;
}

TEST(TerminalText, ALongWordRunsOnRatherThanBeingCut) {
    const std::string path(60, 'x');
    const std::string folded = fold_line("see /" + path + " for more", 40, 4);
    EXPECT_NE(folded.find("/" + path), std::string::npos) << folded;
}

TEST(TerminalText, ABlockLinesOptionDescriptionsUpUnderTheirText) {
    const std::string block =
        "options:\n"
        "  --deadline SECONDS   stop a handset command that takes longer than this (default "
        "300)\n"
        "  download FILE... [--name NAME] [--name-from-file] [--type picture|melody]\n"
        "      convert pictures and MIDI files and download them to the handset in one go";
    const std::string folded = fold_block(block, 50);
    expect_fits(folded, 50);
    EXPECT_EQ(words(folded), words(block));
    EXPECT_NE(folded.find("\n                       "), std::string::npos) << folded;
    EXPECT_NE(folded.find("[--name NAME]\n      [--name-from-file]"), std::string::npos) << folded;
    EXPECT_EQ(fold_block("a\n\nb\n", 50), "a\n\nb\n");
}

TEST(CommandSuggestion, ASlipOfTheKeyboardFindsTheCommand) {
    const std::vector<std::string> commands{"convert picture", "list",           "download",
                                            "rename",          "delete",         "format",
                                            "ports",           "convert melody", "play"};
    using V = std::vector<std::string>;
    EXPECT_EQ(suggested_commands({"lst"}, commands), V{"list"});
    EXPECT_EQ(suggested_commands({"dwonload", "x.jpg"}, commands), V{"download"});
    EXPECT_EQ(suggested_commands({"renmae"}, commands), V{"rename"});
    EXPECT_EQ(suggested_commands({"port"}, commands), V{"ports"});
    EXPECT_EQ(suggested_commands({"convert"}, commands), (V{"convert picture", "convert melody"}));
    EXPECT_EQ(suggested_commands({"convert", "pic", "a.jpg"}, commands), V{"convert picture"});
    EXPECT_EQ(suggested_commands({"convert", "melodie"}, commands), V{"convert melody"});
    // Nothing close: no guess.
    EXPECT_TRUE(suggested_commands({"upload"}, commands).empty());
    EXPECT_TRUE(suggested_commands({"x"}, commands).empty());
    EXPECT_TRUE(suggested_commands({std::string(5000, 'l')}, commands).empty());
    EXPECT_TRUE(suggested_commands({}, commands).empty());
}

TEST(CommandSuggestion, AnOptionsDashesDoNotCountAsTyped) {
    const std::vector<std::string> options{"--json", "--name", "--name-from-file", "--dry-run",
                                           "--discard"};
    using V = std::vector<std::string>;
    EXPECT_EQ(suggested_commands({"--jsno"}, options), V{"--json"});
    EXPECT_EQ(suggested_commands({"--dry"}, options), V{"--dry-run"});
    EXPECT_EQ(suggested_commands({"--na"}, options), (V{"--name", "--name-from-file"}));
    EXPECT_TRUE(suggested_commands({"--n"}, options).empty());
    EXPECT_TRUE(suggested_commands({"--force"}, options).empty());
}

}  // namespace
}  // namespace zemlo::cli
