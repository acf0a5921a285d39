// zemlo-cli rename pic|melody OLD NEW, delete pic|melody NAME, format --yes: the window's
// commands on the handset's files, with the confirmations given on the command line.
#include <string>
#include <vector>

#include "cli_args.h"
#include "file_name_rule.h"
#include "handset_session.h"

namespace zemlo::cli {

namespace {

int run_rename(const std::vector<std::string> &args);
int run_delete(const std::vector<std::string> &args);
int run_format(const std::vector<std::string> &args);

const Command kRename{"rename", "pic|melody OLD NEW",
                      "rename a handset file (OLD with or without its extension; NEW without)",
                      &run_rename};
const Command kDelete{"delete", "pic|melody NAME", "delete a handset file", &run_delete};
const Command kFormat{"format", "--yes",
                      "format the handset's media store: every file is lost and the handset "
                      "restarts",
                      &run_format};
const CommandRegistration kRenameRegistration{kRename};
const CommandRegistration kDeleteRegistration{kDelete};
const CommandRegistration kFormatRegistration{kFormat};

std::optional<app::FileType> folder_of(const std::string &word) {
    if (word == "pic" || word == "picture") {
        return app::FileType::Picture;
    }
    if (word == "melody") {
        return app::FileType::Melody;
    }
    return std::nullopt;
}

// "abc" or "abc.bmp" -> "abc": the folder's own extension may be given or left out.
std::string without_extension(const std::string &name, app::FileType type) {
    const std::string ext(app::file_extension(type));
    if (name.size() > ext.size()) {
        std::string tail = name.substr(name.size() - ext.size());
        for (char &c : tail) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (tail == ext) {
            return name.substr(0, name.size() - ext.size());
        }
    }
    return name;
}

// Connects and looks for name in the folder; the file's name with its extension, or nothing with
// *status set.
std::optional<std::string> find_file(HandsetSession &session, app::FileType type,
                                     const std::string &name, int *status) {
    if ((*status = session.open(global_options())) != kExitOk ||
        (*status = session.connect()) != kExitOk) {
        return std::nullopt;
    }
    const std::string wanted =
        without_extension(name, type) + std::string(app::file_extension(type));
    bool found = false;
    session.read([&](const app::MainCore &core) {
        for (const app::HandsetRow &row : core.listing().table().rows(type)) {
            found = found || row.name == wanted;
        }
    });
    if (!found) {
        *status = fail(wanted + ": no such file in " + std::string(app::folder_path(type)));
        return std::nullopt;
    }
    session.clear_outcome();
    session.set_echo(true);
    return wanted;
}

int run_rename(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {}, &error);
    if (!parsed) {
        return usage_error(kRename, error);
    }
    if (parsed->positional.size() != 3) {
        return usage_error(kRename, "expected the folder, the old name and the new name");
    }
    const auto type = folder_of(parsed->positional[0]);
    if (!type) {
        return usage_error(kRename, "the folder is pic or melody");
    }
    const std::string new_name = without_extension(parsed->positional[2], *type);
    if (new_name.empty()) {
        return usage_error(kRename, "the new name is empty");
    }
    if (const app::NameCheck check = app::check_file_name(new_name); !check.valid) {
        return usage_error(kRename, check.message + " (\"" + new_name + "\")");
    }
    HandsetSession session;
    int status = kExitOk;
    const auto file = find_file(session, *type, parsed->positional[1], &status);
    if (!file) {
        return session.close(status);
    }
    session.run([&](app::MainCore &core) { core.rename_file(*type, *file, new_name); });
    return session.close(session.outcome(app::MessageId::RenameDone));
}

int run_delete(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {}, &error);
    if (!parsed) {
        return usage_error(kDelete, error);
    }
    if (parsed->positional.size() != 2) {
        return usage_error(kDelete, "expected the folder and the file name");
    }
    const auto type = folder_of(parsed->positional[0]);
    if (!type) {
        return usage_error(kDelete, "the folder is pic or melody");
    }
    HandsetSession session;
    int status = kExitOk;
    const auto file = find_file(session, *type, parsed->positional[1], &status);
    if (!file) {
        return session.close(status);
    }
    session.run([&](app::MainCore &core) { core.delete_file(*type, *file); });
    return session.close(session.outcome(app::MessageId::DeleteDone));
}

int run_format(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--yes"}, &error);
    if (!parsed) {
        return usage_error(kFormat, error);
    }
    if (!parsed->positional.empty()) {
        return usage_error(kFormat, "format takes no file names");
    }
    if (!parsed->flag("--yes")) {
        return usage_error(kFormat, app::render(app::MessageId::FormatNeedsYes));
    }
    HandsetSession session;
    if (const int status = session.open(global_options()); status != kExitOk) {
        return session.close(status);
    }
    // As from the window's menu: the format brings its own handshake when not connected.
    session.set_echo(true);
    session.clear_outcome();
    session.run([](app::MainCore &core) { core.format_store(); });
    return session.close(session.outcome(app::MessageId::FormatDone));
}

}  // namespace

}  // namespace zemlo::cli
