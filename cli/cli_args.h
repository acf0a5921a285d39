// Small command-line parsing shared by every zemlo-cli command: options with values, flags and
// positional arguments, with exit statuses that scripts rely on.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "messages.h"

namespace zemlo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the operation failed; one line on stderr says why
inline constexpr int kExitUsage = 2;    // bad usage; the command's usage goes to stderr

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // "--name" -> value
    std::set<std::string> flags;                // "--discard"

    std::optional<std::string> value(const std::string &name) const;
    bool flag(const std::string &name) const { return flags.count(name) != 0; }
};

// Parses args against the options a command knows. valued: options that take a value
// ("--effect fit" or "--effect=fit"); flags: options without one. Anything else starting with
// "--" is an error, reported in *error.
std::optional<ParsedArgs> parse_args(const std::vector<std::string> &args,
                                     const std::set<std::string> &valued,
                                     const std::set<std::string> &flags, std::string *error);

// A command of zemlo-cli. name is one or two words ("play", "convert picture").
struct Command {
    const char *name;
    const char *usage;       // the arguments after the name, for the usage text
    app::MessageId summary;  // one line, in the user's language
    int (*run)(const std::vector<std::string> &args);  // args after the name
};

// Commands register themselves from their own file: static const CommandRegistration r{{...}};
struct CommandRegistration {
    explicit CommandRegistration(const Command &command);
};

const std::vector<Command> &registered_commands();

// Why the input file a command was given cannot be one, for its usage error: it does not exist,
// or it is not a regular file (a pipe would block the conversion, a device never end).
std::optional<std::string> refuse_input(const std::string &path);

// Prints "zemlo-cli: <message>" on stderr; returns kExitFailure.
int fail(const std::string &message);
// Prints the message and the command's usage on stderr; returns kExitUsage.
int usage_error(const Command &command, const std::string &message);

}  // namespace zemlo::cli
