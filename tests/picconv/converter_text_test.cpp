#include <gtest/gtest.h>

#include <vector>

#include "graphic_text.h"
#include "settings_line.h"

namespace {

using zemlo::picmill::graphic_text;

const char *kHead =
    "#define AG_S_DATUM ag_S /* AG_FORMAT_GRAPHIC */\n\n"
    "typedef struct Ag_S_Tag\n"
    "{\n  Int8     bmWidth;\n  Int8     bmHeight; \n"
    "  Int16    bmSizeImage;\n  Int8     bmOffset; \n";
const char *kMiddle =
    "} Ag_S;\n\n"
    "#if defined AG_DECLARATION_ONLY\n"
    "extern AG_ELEMENT_CONST Ag_S ag_S;\n"
    "#else\n"
    "AG_ELEMENT_CONST Ag_S ag_S =\n"
    "{\n";
const char *kTail = "  offsetof (Ag_S, bmImage[0]), /* bmOffset    */\n  {\n";
const char *kEnd = "  }\n};\n#endif\n";

TEST(ConverterText, WritesTheStructureByteForByte) {
    const std::vector<uint8_t> graphic = {2,    2,    8,    0,    5,    0x00, 0xF8, 0x1F,
                                          0x00, 0xE0, 0x07, 0xFF, 0xFF, 0xAA};  // one spare byte
    const auto text = graphic_text(graphic.data(), graphic.size(), "S");
    ASSERT_TRUE(text);
    const std::string expected = std::string(kHead) + "  Int8     bmImage[8];\n" + kMiddle +
                                 "       2, /* bmWidth     */\n"
                                 "       2, /* bmHeight    */\n"
                                 "       8, /* bmSizeImage */\n" +
                                 kTail + "    0x00, 0xf8, 0x1f, 0x00, \n" +
                                 "    0xe0, 0x07, 0xff, 0xff, \n" + kEnd;
    EXPECT_EQ(*text, expected);
}

TEST(ConverterText, OnePixelWideRowsHoldTwoValues) {
    const std::vector<uint8_t> graphic = {1, 3, 6, 0, 5, 1, 2, 3, 4, 5, 6};
    const auto text = graphic_text(graphic.data(), graphic.size(), "S");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("  {\n    0x01, 0x02, \n    0x03, 0x04, \n    0x05, 0x06, \n  }\n"),
              std::string::npos)
        << *text;
}

TEST(ConverterText, RowsFollowWidthAndHeightNotTheSizeField) {
    // The size field says 2 bytes, the sides say 4: the rows hold the 4, and a buffer without
    // them is refused instead of read past.
    const std::vector<uint8_t> graphic = {2, 1, 2, 0, 5, 1, 2, 3, 4};
    const auto text = graphic_text(graphic.data(), graphic.size(), "S");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("bmImage[2]"), std::string::npos);
    EXPECT_NE(text->find("    0x01, 0x02, 0x03, 0x04, \n"), std::string::npos);
    EXPECT_FALSE(graphic_text(graphic.data(), graphic.size() - 1, "S"));
    EXPECT_FALSE(graphic_text(graphic.data(), 4, "S"));
}

TEST(SettingsLine, CarriesPathsWithCommasAndFixedFields) {
    using namespace zemlo::picmill;
    const std::string line = build_settings_line("/a,b/tmp.bmp", "/c\\d,/tmp.el");
    EXPECT_EQ(line.rfind("File1=", 0), 0u);
    const std::string fixed = ",QN_TEMP_EL_FILE,False,16";
    EXPECT_EQ(line.substr(line.size() - fixed.size()), fixed);
    const ConversionSettings s = parse_settings_line(line);
    EXPECT_EQ(s.bitmap_path, "/a,b/tmp.bmp");
    EXPECT_EQ(s.text_path, "/c\\d,/tmp.el");
    EXPECT_EQ(s.symbol_name, "QN_TEMP_EL_FILE");
    EXPECT_EQ(s.invert, 0);
    EXPECT_EQ(s.depth, 16);

    EXPECT_EQ(parse_settings_line("File1=a,b,S,TRUE,24").invert, 1);
    EXPECT_EQ(parse_settings_line("File1=a,b,S,TRUE,24").depth, 1);  // not a driver depth
}

}  // namespace
