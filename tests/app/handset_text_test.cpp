// Handset names on screen: nothing the handset sends may reach the terminal as a control, and its
// GBK names read as the characters it means.
#include <gtest/gtest.h>

#include "handset_text.h"

namespace zemlo::app {
namespace {

TEST(HandsetText, PlainNamesAreUnchanged) {
    EXPECT_EQ(printable_handset_text("logo.bmp"), "logo.bmp");
    EXPECT_EQ(printable_handset_text("a b~!.mid"), "a b~!.mid");
    EXPECT_EQ(printable_handset_text(""), "");
}

TEST(HandsetText, TerminalControlsAreEscaped) {
    // Title, screen clear, colour, carriage return, a faked line, the bell, DEL, NUL.
    EXPECT_EQ(printable_handset_text("\x1b]0;owned\x07x.bmp"), "\\x1b]0;owned\\x07x.bmp");
    EXPECT_EQ(printable_handset_text("\x1b[2J\x1b[31mred"), "\\x1b[2J\\x1b[31mred");
    EXPECT_EQ(printable_handset_text("ok\rbad\nfake line"), "ok\\x0dbad\\x0afake line");
    EXPECT_EQ(printable_handset_text(std::string("a\x7f\0b", 4)), "a\\x7f\\x00b");
    // The escape character is escaped itself, so "\x1b" on screen cannot be the handset's text.
    EXPECT_EQ(printable_handset_text("a\\x1b"), "a\\\\x1b");
}

TEST(HandsetText, C1ControlsAndReorderingCharactersAreEscaped) {
    // U+009B (CSI as one character) and U+0085 (next line) in UTF-8, in texts that are not GBK.
    EXPECT_EQ(printable_handset_text("\xc2\x9b"
                                     "2J\xe5\xa4\xa7"),
              "\\u009b2J大");
    EXPECT_EQ(printable_handset_text("a\xc2\x85\xff"), "a\\u0085\\xff");
    // A raw C1 byte that GBK does not take is shown as a byte.
    EXPECT_EQ(printable_handset_text("\x9b\x1b"), "\\x9b\\x1b");
    // A right-to-left override turns what follows around on screen; a line separator breaks the
    // line. (Three high bytes each: not GBK, so read as UTF-8.)
    EXPECT_EQ(printable_handset_text("x\xe2\x80\xae.pmb"), "x\\u202e.pmb");
    EXPECT_EQ(printable_handset_text("a\xe2\x80\xa8."), "a\\u2028.");
}

TEST(HandsetText, GbkNamesAreDecoded) {
    EXPECT_EQ(printable_handset_text("\xd6\xd0\xce\xc4.bmp"), "中文.bmp");
    EXPECT_EQ(printable_handset_text("\xc1\xe5\xc9\xf9.mid"), "铃声.mid");
    // Two bytes that are valid in both readings are read as the handset writes them.
    EXPECT_EQ(printable_handset_text("\xc3\xa9"), "茅");
    // A control next to GBK text is still escaped.
    EXPECT_EQ(printable_handset_text("\xd6\xd0\x1b[K"), "中\\x1b[K");
}

TEST(HandsetText, TextInNeitherEncodingShowsItsBytes) {
    EXPECT_EQ(printable_handset_text("a\xff.bmp"), "a\\xff.bmp");
    // A lead byte without its trail byte, at the end and before ASCII.
    EXPECT_EQ(printable_handset_text("x\xd6"), "x\\xd6");
    EXPECT_EQ(printable_handset_text("\x80."), "\\x80.");
    // UTF-8 that is not GBK (an odd number of high bytes) keeps its characters.
    EXPECT_EQ(printable_handset_text("大.bmp"), "大.bmp");
    // Overlong and surrogate forms are not characters.
    EXPECT_EQ(printable_handset_text("\xc0\xaf\xff"), "\\xc0\\xaf\\xff");
    EXPECT_EQ(printable_handset_text("\xed\xa0\x80z"), "\\xed\\xa0\\x80z");
}

TEST(HandsetText, OutputIsAlwaysSafeWhateverTheBytes) {
    // Every pair of bytes: no C0, DEL or C1 control gets through.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string raw{static_cast<char>(a), static_cast<char>(b)};
            const std::string shown = printable_handset_text(raw);
            for (size_t i = 0; i < shown.size(); ++i) {
                const auto u = static_cast<unsigned char>(shown[i]);
                ASSERT_TRUE(u >= 0x20 && u != 0x7F) << a << " " << b;
                // No C1 control as a character (U+0080 to U+009F is C2 80 to C2 9F).
                if (u == 0xC2 && i + 1 < shown.size()) {
                    ASSERT_GE(static_cast<unsigned char>(shown[i + 1]), 0xA0) << a << " " << b;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zemlo::app
