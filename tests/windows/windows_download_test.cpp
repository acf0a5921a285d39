// A picture made by picmill.dll and a melody, downloaded through handlink.dll and kept on the
// handset. The Linux run compares the handset's store afterwards with the one its own build
// filled from the same files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "download_flow.h"
#include "picmill.h"
#include "wine_setup.h"

namespace zemlo::testing {
namespace {

std::vector<uint8_t> read_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program's way: the converter loaded by name for one conversion, then released.
int convert_with_picmill(const std::string &bitmap, const std::string &text) {
    const HMODULE picmill = LoadLibraryA((program_folder() + "\\" + PICMILL_LIBRARY_NAME).c_str());
    if (picmill == nullptr) {
        return -1;
    }
    const auto convert = find_export<ConvertBmpFn>(picmill, PICMILL_CONVERT_SYMBOL);
    const int result = convert != nullptr ? convert(bitmap.c_str(), text.c_str()) : -2;
    FreeLibrary(picmill);
    return result;
}

TEST(WindowsDownload, APictureFromTheConverterAndAMelodyAreKeptOnTheHandset) {
    const WineSetup &setup = wine_setup();
    const std::string text = setup.work + "\\tmp.el";
    ASSERT_EQ(convert_with_picmill(setup.bitmap, text), 1);
    // Written as a Windows text file.
    const std::vector<uint8_t> written = read_bytes(text);
    const std::string as_text(written.begin(), written.end());
    EXPECT_NE(as_text.find("/* bmWidth     */\r\n"), std::string::npos);
    std::string error;
    const auto picture = picture_from_text_file(text, &error);
    ASSERT_TRUE(picture) << error;
    const std::vector<uint8_t> melody = read_bytes(setup.melody);
    ASSERT_FALSE(melody.empty()) << setup.melody;

    handsim::HandlinkSession session;
    ASSERT_TRUE(session.load("handlink.dll", &error)) << error;
    ASSERT_TRUE(session.open_port(setup.handset_port, &error)) << error;
    ASSERT_TRUE(handshake(session));
    EXPECT_TRUE(download_and_keep(session, kPictureOnHandset, *picture, false, &error)) << error;
    EXPECT_TRUE(download_and_keep(session, kMelodyOnHandset, melody, true, &error)) << error;

    // The listing, a block transfer posted to the session's window, names both.
    const auto listing = session.list(std::chrono::milliseconds(5000), &error);
    ASSERT_TRUE(listing) << error;
    EXPECT_NE(listing->text.find("wine.bmp^" + std::to_string(picture->size()) + ";"),
              std::string::npos)
        << listing->text;
    EXPECT_NE(listing->text.find("wine.mid^"), std::string::npos) << listing->text;
    EXPECT_TRUE(disconnect(session));
    session.close();
}

}  // namespace
}  // namespace zemlo::testing
