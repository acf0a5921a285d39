// zemlo-cli download FILE... [--name NAME] [--name-from-file] [--type picture|melody]
//                            [picture options] [--fit] [--preview] [--discard] [--json]
// Converts pictures and MIDI files and downloads them as the window does, all in one connection;
// the window's two questions after the transfer (preview on the handset? keep the file?) are the
// flags. Every name is checked, and names that would clash on the handset are refused, before
// anything is sent.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch_plan.h"
#include "cli_args.h"
#include "file_name_rule.h"
#include "handset_session.h"
#include "handset_text.h"
#include "json_text.h"
#include "pc_file_filter.h"
#include "picture_options.h"
#include "picture_runtime.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

int run(const std::vector<std::string> &args);

const Command kCommand{
    "download",
    "FILE... [--name NAME] [--name-from-file] [--type picture|melody] [--effect "
    "fit|stretch|cover] [--crop X,Y,W,H | --zoom Z [--center X,Y]] [--dither] [--no-autorotate] "
    "[--fit] [--preview] [--discard] [--json]",
    "convert pictures and MIDI files and download them to the handset in one connection (a name "
    "defaults to the file's own; --name-from-file makes one the handset takes from it; --name "
    "names a single file); the picture options are those of convert picture, --fit cuts a "
    "melody over the handset's limit; --preview shows or plays each on the handset, --discard "
    "does not keep them; a line per file, or --json; exit 0 only when every file arrived",
    &run};
const CommandRegistration kRegistration{kCommand};

struct Item {
    fs::path file;
    app::FileType type = app::FileType::Picture;
    std::string name;  // on the handset, without its extension
    bool arrived = false;
    bool sent = false;   // its download was started
    std::string result;  // what became of it
};

std::optional<app::FileType> type_of(const fs::path &file, const std::optional<std::string> &given,
                                     std::string *error) {
    if (given) {
        if (*given == "picture" || *given == "pic") {
            return app::FileType::Picture;
        }
        if (*given == "melody") {
            return app::FileType::Melody;
        }
        *error = "--type must be picture or melody";
        return std::nullopt;
    }
    const std::string name = file.filename().string();
    if (app::is_listed_for_type(name, app::FileType::Picture)) {
        return app::FileType::Picture;
    }
    if (app::is_listed_for_type(name, app::FileType::Melody)) {
        return app::FileType::Melody;
    }
    *error = "cannot tell from its extension whether " + name +
             " is a picture (bmp gif jpg ico emf wmf) or a melody (mid midi); give --type";
    return std::nullopt;
}

// The file, if it is one that can be read to its end; else why not.
std::optional<std::string> refuse_file(const fs::path &file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        return file.string() + ": " +
               (status.type() == fs::file_type::not_found || !ec ? "no such file" : ec.message());
    }
    // A pipe would block the conversion and a device never end; neither is a picture or melody.
    if (!fs::is_regular_file(status)) {
        return file.string() + ": not a regular file";
    }
    return std::nullopt;
}

std::string handset_file(const Item &item) {
    return item.name + std::string(app::file_extension(item.type));
}

void print_lines(const std::vector<Item> &items) {
    size_t k = 0;
    for (const Item &item : items) {
        ++k;
        std::printf("[%zu/%zu] %s -> %s: %s\n", k, items.size(),
                    app::printable_local_text(item.file.string()).c_str(),
                    handset_file(item).c_str(), item.result.c_str());
    }
    std::fflush(stdout);
}

void print_json(const std::vector<Item> &items) {
    std::string out = "{\"files\":[";
    size_t arrived = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item &item = items[i];
        arrived += item.arrived ? 1 : 0;
        out += std::string(i == 0 ? "" : ",") + "{\"file\":" + json_string(item.file.string()) +
               ",\"name\":" + json_string(handset_file(item)) + ",\"type\":\"" +
               (item.type == app::FileType::Picture ? "picture" : "melody") +
               "\",\"arrived\":" + (item.arrived ? "true" : "false") +
               ",\"sent\":" + (item.sent ? "true" : "false") +
               ",\"result\":" + json_string(item.result) + "}";
    }
    out += "],\"arrived\":" + std::to_string(arrived) +
           ",\"total\":" + std::to_string(items.size()) + "}\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

int run(const std::vector<std::string> &args) {
    std::string error;
    std::set<std::string> valued = picture_valued_options();
    valued.insert({"--name", "--type"});
    std::set<std::string> flags = picture_flag_options();
    flags.insert({"--preview", "--discard", "--fit", "--json", "--name-from-file"});
    const auto parsed = parse_args(args, valued, flags, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.empty()) {
        return usage_error(kCommand, "expected the files to download");
    }
    const auto given_name = parsed->value("--name");
    if (given_name && parsed->positional.size() != 1) {
        return usage_error(kCommand, "--name names a single file; give --name-from-file instead");
    }
    if (given_name && parsed->flag("--name-from-file")) {
        return usage_error(kCommand, "--name and --name-from-file do not go together");
    }
    const auto picture_choice = picture_choice_from(*parsed, &error);
    if (!picture_choice) {
        return usage_error(kCommand, error);
    }

    std::vector<Item> items;
    for (const std::string &given : parsed->positional) {
        Item item;
        item.file = fs::absolute(given);
        if (const auto refusal = refuse_file(item.file)) {
            return usage_error(kCommand, *refusal);
        }
        const auto type = type_of(item.file, parsed->value("--type"), &error);
        if (!type) {
            return usage_error(kCommand, error);
        }
        item.type = *type;
        // The handset's name rule, checked for every file before anything is converted or sent.
        const std::string stem = item.file.stem().string();
        item.name = given_name
                        ? *given_name
                        : (parsed->flag("--name-from-file") ? app::name_from_file(stem) : stem);
        if (item.name.empty()) {
            return usage_error(kCommand, app::render(app::MessageId::EnterName) + " (" +
                                             app::printable_local_text(item.file.string()) + ")");
        }
        if (const app::NameCheck check = app::check_file_name(item.name); !check.valid) {
            return usage_error(kCommand,
                               check.message + " (\"" + app::printable_local_text(item.name) +
                                   (parsed->positional.size() == 1 ? "\"; give one with --name)"
                                                                   : "\"; give --name-from-file)"));
        }
        items.push_back(std::move(item));
    }
    const auto has_type = [&](app::FileType type) {
        return std::any_of(items.begin(), items.end(),
                           [type](const Item &i) { return i.type == type; });
    };
    const bool picture_options_given =
        std::any_of(picture_valued_options().begin(), picture_valued_options().end(),
                    [&](const std::string &o) { return parsed->value(o).has_value(); }) ||
        std::any_of(picture_flag_options().begin(), picture_flag_options().end(),
                    [&](const std::string &o) { return parsed->flag(o); });
    if (picture_options_given && !has_type(app::FileType::Picture)) {
        return usage_error(kCommand, "the picture options apply to pictures only");
    }
    if (parsed->flag("--fit") && !has_type(app::FileType::Melody)) {
        return usage_error(kCommand, "--fit applies to melodies only");
    }
    // Two files of one folder under one name: the second would replace the first.
    std::vector<app::NamedFile> named;
    for (const Item &item : items) {
        named.push_back({item.type, item.name});
    }
    if (const auto clash = app::first_clash(named)) {
        const Item &first = items[clash->first];
        const Item &second = items[clash->second];
        return usage_error(kCommand, app::printable_local_text(first.file.string()) + " and " +
                                         app::printable_local_text(second.file.string()) +
                                         " would both be " + handset_file(second) +
                                         " on the handset; give --name-from-file or rename one");
    }

    if (has_type(app::FileType::Picture)) {
        media::ensure_picture_runtime();  // metafile text needs it, on the main thread
    }
    const bool batch = items.size() > 1;
    const bool json = parsed->flag("--json");
    HandsetSession session;
    if (const int status = session.open(global_options()); status != kExitOk) {
        return session.close(status);
    }
    if (const int status = session.connect(); status != kExitOk) {
        return session.close(status);
    }
    const bool discard = parsed->flag("--discard");
    const app::MessageId success =
        discard ? app::MessageId::DownloadDiscarded : app::MessageId::DownloadSaved;
    session.set_download_answers(parsed->flag("--preview"), !discard);
    session.set_choice({*picture_choice, parsed->flag("--fit")});
    // One file says what became of it as the window's status line would; several get a line each
    // at the end, as does --json.
    session.set_echo(!batch && !json);
    std::string stopped;  // why the files left were not sent
    bool port_error = false;
    for (size_t k = 0; k < items.size(); ++k) {
        Item &item = items[k];
        if (stopped.empty() && session.interrupted()) {
            stopped = "interrupted";  // between two files: the next one is not started
        }
        if (!stopped.empty()) {
            item.result = "not sent: " + stopped;
            continue;
        }
        if (batch) {
            std::fprintf(stderr, "file %zu of %zu: %s\n", k + 1, items.size(),
                         app::printable_local_text(item.file.string()).c_str());
        }
        session.clear_outcome();
        item.sent = true;
        session.run([&](app::MainCore &core) {
            core.download_file(item.type, item.file.string(), item.name);
        });
        item.arrived = !session.failed() && session.succeeded_with(success);
        if (item.arrived) {
            item.result = session.finished_text();
            continue;
        }
        item.result = session.failure_text();
        if (item.result.empty()) {
            item.result = "not downloaded";
        }
        port_error = port_error || session.port_error();
        // A full folder, a handset with no room, an event, a lost line or an interrupt: the rest
        // would meet the same, or the user asked to stop.
        if (session.interrupted() || !app::only_this_file(session.failure_result())) {
            stopped = item.result;
        }
    }
    if (json) {
        print_json(items);
    } else if (batch) {
        print_lines(items);
    }
    const bool all =
        std::all_of(items.begin(), items.end(), [](const Item &i) { return i.arrived; });
    return session.close(all ? kExitOk : (port_error ? kExitPortError : kExitFailure));
}

}  // namespace

}  // namespace zemlo::cli
