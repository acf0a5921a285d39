// zemlo-cli rename pic|melody OLD NEW, delete pic|melody NAME, format --yes: the window's
// commands on the handset's files, with the confirmations given on the command line.
#include <string>
#include <vector>

#include "cli_args.h"
#include "file_name_rule.h"
#include "handset_session.h"
#include "zemlo/handset_records.h"

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

std::optional<int32_t> folder_of(const std::string &word) {
    if (word == "pic" || word == "picture") {
        return app::kTypePicture;
    }
    if (word == "melody") {
        return app::kTypeMelody;
    }
    return std::nullopt;
}

std::string extension_of(int32_t type) {
    return std::string(type == app::kTypePicture ? records::kPictureExtension
                                                 : records::kMelodyExtension);
}

std::string folder_path(int32_t type) {
    return std::string(type == app::kTypePicture ? records::kPictureFolder
                                                 : records::kMelodyFolder);
}

// "abc" or "abc.bmp" -> "abc": the folder's own extension may be given or left out.
std::string without_extension(const std::string &name, int32_t type) {
    const std::string ext = extension_of(type);
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

// Connects, shows the folder and selects the row of name; the row, or -1 with the session closed
// and *status set.
int32_t select_file(HandsetSession &session, int32_t type, const std::string &name, int *status) {
    if ((*status = session.open(global_options())) != kExitOk ||
        (*status = session.connect()) != kExitOk) {
        return -1;
    }
    session.set_handset_folder(type);
    const std::string wanted = without_extension(name, type) + extension_of(type);
    int32_t row = -1;
    session.run([&](app::MainCore &core) {
        core.handset_folder_selected(type);
        const auto &rows = core.handset_rows();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name == wanted) {
                row = static_cast<int32_t>(i);
                break;
            }
        }
    });
    if (row < 0) {
        *status = fail(wanted + ": no such file in " + folder_path(type));
        return -1;
    }
    session.clear_outcome();
    session.set_echo(true);
    return row;
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
    const int32_t row = select_file(session, *type, parsed->positional[1], &status);
    if (row < 0) {
        return session.close(status);
    }
    session.run([&](app::MainCore &core) { core.rename_file(row, new_name); });
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
    const int32_t row = select_file(session, *type, parsed->positional[1], &status);
    if (row < 0) {
        return session.close(status);
    }
    session.run([row](app::MainCore &core) { core.delete_file(row); });
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
