#include "cli_args.h"

#include <cstdio>
#include <filesystem>

#include "command_suggestion.h"
#include "messages.h"
#include "terminal_text.h"

namespace zemlo::cli {

namespace {
std::vector<Command> &command_list() {
    static std::vector<Command> list;
    return list;
}
}  // namespace

std::optional<std::string> ParsedArgs::value(const std::string &name) const {
    auto it = values.find(name);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<ParsedArgs> parse_args(const std::vector<std::string> &args,
                                     const std::set<std::string> &valued,
                                     const std::set<std::string> &flags, std::string *error) {
    ParsedArgs out;
    bool options_done = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (options_done || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            out.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options_done = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> inline_value;
        if (auto eq = a.find('='); eq != std::string::npos) {
            name = a.substr(0, eq);
            inline_value = a.substr(eq + 1);
        }
        if (valued.count(name) != 0) {
            if (inline_value) {
                out.values[name] = *inline_value;
            } else if (i + 1 < args.size()) {
                out.values[name] = args[++i];
            } else {
                *error = app::render(app::MessageId::OptionNeedsValue, {name});
                return std::nullopt;
            }
        } else if (flags.count(name) != 0 && !inline_value) {
            out.flags.insert(name);
        } else {
            *error = app::render(app::MessageId::UnknownOption, {a});
            std::vector<std::string> known(valued.begin(), valued.end());
            known.insert(known.end(), flags.begin(), flags.end());
            if (const auto meant = suggested_commands({name}, known); !meant.empty()) {
                *error = app::render(app::MessageId::OptionMeant, {*error, choices_text(meant)});
            }
            return std::nullopt;
        }
    }
    return out;
}

CommandRegistration::CommandRegistration(const Command &command) {
    command_list().push_back(command);
}

const std::vector<Command> &registered_commands() {
    return command_list();
}

std::optional<std::string> refuse_input(const std::string &path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        if (status.type() == std::filesystem::file_type::not_found || !ec) {
            return app::render(app::MessageId::NoSuchInputFile, {path});
        }
        return path + ": " + ec.message();
    }
    if (!std::filesystem::is_regular_file(status)) {
        return app::render(app::MessageId::NotRegularFile, {path});
    }
    return std::nullopt;
}

int fail(const std::string &message) {
    std::fprintf(stderr, "zemlo-cli: %s\n", message.c_str());
    return kExitFailure;
}

int usage_error(const Command &command, const std::string &message) {
    const std::string usage = fit_to_terminal(
        app::render(app::MessageId::UsageLine, {command.name, command.usage}), stderr);
    std::fprintf(stderr, "zemlo-cli: %s\n%s\n", message.c_str(), usage.c_str());
    return kExitUsage;
}

}  // namespace zemlo::cli
