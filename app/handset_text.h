// Text that came from the handset (file names in its listing), made safe to show on a terminal or
// in a window. The handset writes its names in GBK; names made on the PC are ASCII. Nothing it
// sends may steer the terminal, so what is shown is always valid UTF-8 without control characters.
//
// The reading, in order:
//   - only ASCII bytes: the text as it is;
//   - otherwise, when the whole text decodes as GBK: the decoded characters (the handset's own
//     encoding wins over UTF-8, because its names are GBK and a short GBK name can also happen to
//     be valid UTF-8, while names that the PC writes are ASCII);
//   - otherwise: each valid UTF-8 sequence as its character, every other byte escaped.
// Then, whatever the reading, these are escaped: C0 controls and DEL as \xNN (\x1b, \x0d, \x7f),
// C1 controls and the characters that reorder or break lines (U+2028/2029, the bidirectional
// marks, embeddings, overrides and isolates) as \uNNNN, a byte that is not part of any character as
// \xNN
// (\xff), and the backslash itself as \\ so that an escape on screen is never the handset's text.
#pragma once

#include <string>
#include <string_view>

namespace zemlo::app {

std::string printable_handset_text(std::string_view raw);

// Text of this computer's (a device path the user gave, a PC file or folder name), kept as bytes
// underneath and made safe to show: the PC's names are UTF-8 (there is no GBK reading), so each
// valid UTF-8 sequence is its character and every other byte, control and backslash is escaped as
// above ("caf\xe9.jpg"), and the characters that steer the display too.
std::string printable_local_text(std::string_view raw);

// A text of the program's own with names put in byte for byte: each valid UTF-8 sequence as it
// is (line breaks and backslashes included), each byte outside one as \xNN, so that a name that
// is not UTF-8 reads the same in a box or the status line as in the file list.
std::string utf8_with_escaped_bytes(std::string_view text);

// Whether a character past ASCII moves the cursor, breaks the line or reorders what follows on
// screen (C1 controls, line and paragraph separators, bidirectional marks, embeddings, overrides
// and isolates): such a character is never shown as it is, also not inside JSON.
bool steers_display(char32_t cp);

}  // namespace zemlo::app
