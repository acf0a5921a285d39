// Text laid out for a terminal: how many columns a UTF-8 text takes (a Chinese character takes
// two), the width of the terminal a stream goes to, and a line folded to that width.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace zemlo::cli {

size_t terminal_columns(std::string_view text);

// The width of the terminal the stream writes to; nothing when it is not a terminal (a pipe or a
// file gets the text as it always was, one long line per paragraph).
std::optional<size_t> terminal_width(FILE *stream);

// One line folded to `width` columns: breaks at spaces, and also between Chinese characters
// (which have no spaces between words), never before closing punctuation. Continuation lines
// start with `indent` spaces. A word longer than the room stays whole on a line of its own.
std::string fold_line(std::string_view line, size_t width, size_t indent);

// Every line of a block folded; a line's continuations line up under its text after the first
// run of two or more spaces (an option's description), or else under its own indent plus four
// (a heading, a command), or at its own indent when that is already six or more (a description).
std::string fold_block(std::string_view block, size_t width);

// The block folded to the width of the terminal `stream` writes to; as it is for a pipe or file.
std::string fit_to_terminal(std::string block, FILE *stream);

}  // namespace zemlo::cli
