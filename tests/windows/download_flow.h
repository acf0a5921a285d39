// The handset session that the Windows build under Wine and the Linux build both run, so that
// the two handsets' stores can be compared byte for byte afterwards: the handshake, and files
// downloaded and kept as the program does it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "handlink_session.h"

namespace zemlo::testing {

// The names the downloaded files get on the handset.
inline constexpr const char *kPictureOnHandset = "a:\\pcdlw\\pic\\wine.bmp";
inline constexpr const char *kMelodyOnHandset = "a:\\pcdlw\\melody\\wine.mid";

// The connect handshake; true when the handset accepted it.
bool handshake(handsim::HandlinkSession &session);

// Announces the file, sends it packet by packet, has the handset preview it and keep it.
bool download_and_keep(handsim::HandlinkSession &session, const std::string &handset_path,
                       const std::vector<uint8_t> &file, bool melody, std::string *error);

// The disconnect command; true when the handset accepted it.
bool disconnect(handsim::HandlinkSession &session);

// The handset picture file made from the converter's text at text_path (empty on failure).
std::optional<std::vector<uint8_t>> picture_from_text_file(const std::string &text_path,
                                                           std::string *error);

}  // namespace zemlo::testing
