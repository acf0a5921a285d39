// zemlo-cli rename pic|melody OLD NEW, delete pic|melody NAME, format --yes: the window's
// commands on the handset's files, with the confirmations given on the command line; --json makes
// the result, or the failure, one document on standard output.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "file_name_rule.h"
#include "handset_session.h"
#include "json_text.h"

namespace zemlo::cli {

namespace {

int run_rename(const std::vector<std::string> &args);
int run_delete(const std::vector<std::string> &args);
int run_format(const std::vector<std::string> &args);

const Command kRename{"rename", "pic|melody OLD NEW [--json]", app::MessageId::SummaryRename,
                      &run_rename};
const Command kDelete{"delete", "pic|melody NAME [--json]", app::MessageId::SummaryDelete,
                      &run_delete};
const Command kFormat{"format", "--yes [--json]", app::MessageId::SummaryFormat, &run_format};

// The command's end under --json: the success document, or the failure's with its status (the
// failure's text was printed on standard error as without --json).
int finish(HandsetSession &session, int status, bool json, const std::string &success,
           std::string why = {}) {
    if (why.empty()) {
        why = session.failure_text();
    }
    status = session.close(status);
    if (json) {
        std::fputs(status == kExitOk ? (success + "\n").c_str() : json_failure(status, why).c_str(),
                   stdout);
        std::fflush(stdout);
    }
    return status;
}
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
// *status set (and *why when the file is not there).
std::optional<std::string> find_file(HandsetSession &session, app::FileType type,
                                     const std::string &name, bool json, int *status,
                                     std::string *why) {
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
        *why = app::render(app::MessageId::NoSuchHandsetFile,
                           {wanted, std::string(app::folder_path(type))});
        *status = fail(*why);
        return std::nullopt;
    }
    session.clear_outcome();
    session.set_echo(!json);
    return wanted;
}

int run_rename(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--json"}, &error);
    if (!parsed) {
        return usage_error(kRename, error);
    }
    if (parsed->positional.size() != 3) {
        return usage_error(kRename, app::render(app::MessageId::ExpectedRenameArgs));
    }
    const auto type = folder_of(parsed->positional[0]);
    if (!type) {
        return usage_error(kRename, app::render(app::MessageId::FolderWord));
    }
    const std::string new_name = without_extension(parsed->positional[2], *type);
    if (new_name.empty()) {
        return usage_error(kRename, app::render(app::MessageId::NewNameEmpty));
    }
    if (const app::NameCheck check = app::check_file_name(new_name); !check.valid) {
        return usage_error(kRename, check.message + " (\"" + new_name + "\")");
    }
    HandsetSession session;
    const bool json = parsed->flag("--json");
    int status = kExitOk;
    std::string why;
    const auto file = find_file(session, *type, parsed->positional[1], json, &status, &why);
    if (!file) {
        return finish(session, status, json, {}, why);
    }
    session.run([&](app::MainCore &core) { core.rename_file(*type, *file, new_name); });
    return finish(session, session.outcome(app::MessageId::RenameDone), json,
                  "{\"result\":\"ok\",\"folder\":" + json_string(app::folder_path(*type)) +
                      ",\"old\":" + json_string(*file) + ",\"new\":" +
                      json_string(new_name + std::string(app::file_extension(*type))) + "}");
}

int run_delete(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--json"}, &error);
    if (!parsed) {
        return usage_error(kDelete, error);
    }
    if (parsed->positional.size() != 2) {
        return usage_error(kDelete, app::render(app::MessageId::ExpectedDeleteArgs));
    }
    const auto type = folder_of(parsed->positional[0]);
    if (!type) {
        return usage_error(kDelete, app::render(app::MessageId::FolderWord));
    }
    HandsetSession session;
    const bool json = parsed->flag("--json");
    int status = kExitOk;
    std::string why;
    const auto file = find_file(session, *type, parsed->positional[1], json, &status, &why);
    if (!file) {
        return finish(session, status, json, {}, why);
    }
    session.run([&](app::MainCore &core) { core.delete_file(*type, *file); });
    return finish(session, session.outcome(app::MessageId::DeleteDone), json,
                  "{\"result\":\"ok\",\"folder\":" + json_string(app::folder_path(*type)) +
                      ",\"deleted\":" + json_string(*file) + "}");
}

int run_format(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--yes", "--json"}, &error);
    if (!parsed) {
        return usage_error(kFormat, error);
    }
    if (!parsed->positional.empty()) {
        return usage_error(kFormat, app::render(app::MessageId::NoFileNames, {"format"}));
    }
    if (!parsed->flag("--yes")) {
        return usage_error(kFormat, app::render(app::MessageId::FormatNeedsYes));
    }
    HandsetSession session;
    const bool json = parsed->flag("--json");
    if (const int status = session.open(global_options()); status != kExitOk) {
        return finish(session, status, json, {});
    }
    // As from the window's menu: the format brings its own handshake when not connected.
    session.set_echo(!json);
    session.clear_outcome();
    session.run([](app::MainCore &core) { core.format_store(); });
    return finish(session, session.outcome(app::MessageId::FormatDone), json,
                  "{\"result\":\"ok\",\"formatted\":true}");
}

}  // namespace

}  // namespace zemlo::cli
