// zemlo-cli download FILE... [--name NAME] [--name-from-file] [--type picture|melody]
//                            [picture options] [--fit] [--replace] [--preview] [--discard]
//                            [--dry-run] [--verbose] [--json]
// Converts pictures and MIDI files and downloads them as the window does, all in one connection;
// the window's two questions after the transfer (preview on the handset? keep the file?) are the
// flags. Every name is checked, names that would clash on the handset are refused, and every file
// is converted once, before the connection; a handset file of the same name is replaced only when
// the user says so, before anything is sent.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch_plan.h"
#include "cli_args.h"
#include "download_plan.h"
#include "file_name_rule.h"
#include "handset_session.h"
#include "handset_text.h"
#include "json_text.h"
#include "melody_conversion.h"
#include "messages.h"
#include "pc_file_filter.h"
#include "picture_conversion.h"
#include "picture_options.h"
#include "picture_runtime.h"
#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

int run(const std::vector<std::string> &args);

const Command kCommand{
    "download",
    "FILE... [--name NAME] [--name-from-file] [--type picture|melody] [--effect "
    "fit|stretch|cover] [--crop X,Y,W,H | --zoom Z [--center X,Y]] [--dither] [--no-autorotate] "
    "[--fit] [--replace] [--preview] [--discard] [--dry-run] [--verbose] [--json]",
    app::MessageId::SummaryDownload, &run};
const CommandRegistration kRegistration{kCommand};

struct Item {
    fs::path file;
    app::FileType type = app::FileType::Picture;
    std::string name;    // on the handset, without its extension
    int64_t length = 0;  // converted
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
        *error = app::render(app::MessageId::TypeWord);
        return std::nullopt;
    }
    const std::string name = file.filename().string();
    if (app::is_listed_for_type(name, app::FileType::Picture)) {
        return app::FileType::Picture;
    }
    if (app::is_listed_for_type(name, app::FileType::Melody)) {
        return app::FileType::Melody;
    }
    *error = app::render(app::MessageId::TypeNotKnown, {name});
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

// Everything that needs no handset is checked before the connection, which takes seconds: the file
// converts as chosen, a melody strikes a note and is within the handset's limit (unless it is to be
// cut to fit). The reason when it fails (already printed), nothing when the download may go on. The
// download converts the file again, as the window does; a conversion takes a fraction of a connect.
// The converted file's length goes to *length.
std::optional<std::string> preflight(HandsetSession &session, const Item &item,
                                     const app::ConversionChoice &choice, int64_t *length) {
    std::string error;
    const media::PictureFolders folders = media::default_picture_folders(&error);
    if (folders.work_dir.empty()) {
        std::fprintf(stderr, "zemlo-cli: %s\n", error.c_str());
        return error;
    }
    const std::string out = folders.work_dir + "/preflight.dwn";
    const std::string file = item.file.string();
    if (item.type == app::FileType::Picture) {
        if (!session.convert_picture(out, file, choice.picture)) {
            const std::string why = app::render(app::MessageId::ConvertPictureFailed);
            std::fprintf(stderr, "zemlo-cli: %s\n", why.c_str());
            return why;
        }
        std::error_code ec;
        *length = static_cast<int64_t>(fs::file_size(out, ec));
        return std::nullopt;
    }
    media::MelodyOptions options;
    options.refuse_without_notes = true;  // a silent ring tone is no ring tone
    options.fit_limit = choice.fit_melody ? records::kMaxMelodyBytes : 0;
    const media::MelodyConversion c = media::convert_melody_file(file, out, options);
    std::string why;
    if (c.without_notes) {
        why = app::render(app::MessageId::MelodyWithoutNotes, {file});
    } else if (!c.written) {
        why = app::render(app::MessageId::ConvertMelodyFailed) + "\n" + c.error;
    } else if (std::error_code ec; fs::file_size(out, ec) > records::kMaxMelodyBytes && !ec) {
        why = app::render(app::MessageId::MelodyTooLarge) + " " +
              app::render(app::MessageId::MelodyOverFitHint,
                          {std::to_string(fs::file_size(out, ec)),
                           std::to_string(records::kMaxMelodyBytes)});
    }
    if (why.empty()) {
        std::error_code ec;
        *length = static_cast<int64_t>(fs::file_size(out, ec));
        return std::nullopt;
    }
    std::fprintf(stderr, "zemlo-cli: %s\n", why.c_str());
    return why;
}

// Whether the user at a terminal says yes to the question.
bool user_agrees(const std::string &question) {
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::fflush(stderr);
    char line[16] = {};
    if (std::fgets(line, sizeof line, stdin) == nullptr) {
        return false;
    }
    return line[0] == 'y' || line[0] == 'Y';
}

// The window asks before a download replaces a handset file of the same name; a script cannot be
// asked, so without --replace the command stops there (usage, 2), and a terminal is asked. The
// reason when it stops.
// A dry run asks nothing: it says that the download would ask.
std::optional<std::string> refuse_replacing(HandsetSession &session, const Item &item,
                                            bool dry_run) {
    const std::string name = handset_file(item);
    bool exists = false;
    session.read([&](const app::MainCore &core) {
        exists = core.listing().table().find(listing::entry_key(name), item.type) != -1;
    });
    if (!exists) {
        return std::nullopt;
    }
    const std::string shown = app::printable_local_text(name);
    if (::isatty(STDIN_FILENO) == 1 &&
        (dry_run ||
         user_agrees("zemlo-cli: " + app::render(app::MessageId::ReplaceQuestion, {shown})))) {
        return std::nullopt;
    }
    return app::render(app::MessageId::ReplaceNeedsOption, {shown});
}

// What the download would do with the handset as it is, each file after the ones before it, and
// the status it would end with; nothing is sent.
int report_dry_run(HandsetSession &session, std::vector<Item> &items, bool json) {
    app::HandsetFileTable table;
    int64_t free_before = 0;
    session.read([&](const app::MainCore &core) {
        table = core.listing().table();
        free_before = core.listing().free_space();
    });
    std::vector<PlannedFile> files;
    for (const Item &item : items) {
        files.push_back({item.type, handset_file(item), item.length});
    }
    const std::vector<PlanStep> steps = plan_downloads(table, free_before, files);
    std::string stopped;
    std::string json_files;
    size_t would = 0;
    int status = kExitOk;
    int64_t free_after = free_before;
    for (size_t k = 0; k < items.size(); ++k) {
        const Item &item = items[k];
        const PlanStep &step = steps[k];
        const std::string name = app::printable_local_text(handset_file(item));
        std::string result;
        const bool arrives = stopped.empty() && !step.refusal;
        if (!stopped.empty()) {
            result = app::render(app::MessageId::DryRunNotSent, {stopped});
        } else if (step.refusal) {
            result = app::render(*step.refusal);
            if (*step.refusal == app::MessageId::NoSpace) {
                result += " " + app::render(app::MessageId::SpaceNeeded,
                                            {std::to_string(step.takes),
                                             std::to_string(std::max<int64_t>(step.available, 0))});
            }
            status = kExitFailure;
            if (!only_this_file(*step.refusal)) {
                stopped = result;
            }
            result = app::render(app::MessageId::DryRunRefused, {result});
        } else {
            ++would;
            free_after = step.free_after;
            const std::string length = std::to_string(item.length);
            const std::string takes = std::to_string(step.takes);
            const std::string after = std::to_string(step.free_after);
            result = step.replaces
                         ? app::render(app::MessageId::DryRunReplace, {length, takes, name, after})
                         : app::render(app::MessageId::DryRunSend, {length, takes, after});
        }
        if (json) {
            json_files += std::string(k == 0 ? "" : ",") +
                          "{\"file\":" + json_string(item.file.string()) +
                          ",\"name\":" + json_string(handset_file(item)) + ",\"type\":\"" +
                          (item.type == app::FileType::Picture ? "picture" : "melody") +
                          "\",\"size\":" + std::to_string(item.length) +
                          ",\"takes\":" + std::to_string(step.takes) +
                          ",\"replaces\":" + (step.replaces && arrives ? "true" : "false") +
                          ",\"would_arrive\":" + (arrives ? "true" : "false") +
                          ",\"free_after\":" + std::to_string(step.free_after) +
                          ",\"result\":" + json_string(result) + "}";
        } else {
            std::printf("[%zu/%zu] %s -> %s: %s\n", k + 1, items.size(),
                        app::printable_local_text(item.file.string()).c_str(), name.c_str(),
                        result.c_str());
        }
    }
    status = session.close(status);
    if (json) {
        std::printf(
            "{\"dry_run\":true,\"files\":[%s],\"would_arrive\":%zu,\"total\":%zu,"
            "\"free\":%lld,\"free_after\":%lld,\"exit_status\":%d}\n",
            json_files.c_str(), would, items.size(), static_cast<long long>(free_before),
            static_cast<long long>(free_after), status);
    } else {
        std::printf("%s\n", app::render(app::MessageId::DryRunSummary,
                                        {std::to_string(free_before), std::to_string(free_after)})
                                .c_str());
    }
    std::fflush(stdout);
    return status;
}

int run(const std::vector<std::string> &args) {
    std::string error;
    std::set<std::string> valued = picture_valued_options();
    valued.insert({"--name", "--type"});
    std::set<std::string> flags = picture_flag_options();
    flags.insert({"--preview", "--discard", "--fit", "--json", "--name-from-file", "--replace",
                  "--verbose", "--dry-run"});
    const auto parsed = parse_args(args, valued, flags, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.empty()) {
        return usage_error(kCommand, app::render(app::MessageId::ExpectedFilesToDownload));
    }
    const auto given_name = parsed->value("--name");
    if (given_name && parsed->positional.size() != 1) {
        return usage_error(kCommand, app::render(app::MessageId::NameForOneFile));
    }
    if (given_name && parsed->flag("--name-from-file")) {
        return usage_error(kCommand, app::render(app::MessageId::NameOrNameFromFile));
    }
    const auto picture_choice = picture_choice_from(*parsed, &error);
    if (!picture_choice) {
        return usage_error(kCommand, error);
    }

    std::vector<Item> items;
    for (const std::string &given : parsed->positional) {
        Item item;
        item.file = fs::absolute(given);
        if (const auto refusal = refuse_input(item.file.string())) {
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
            // The problem, the name given, then the rule itself so that the next try can obey it.
            const app::MessageId hint = parsed->positional.size() == 1
                                            ? app::MessageId::NameGivenGiveName
                                            : app::MessageId::NameGivenFromFile;
            return usage_error(
                kCommand, app::render(check.problem) + " " +
                              app::render(hint, {app::printable_local_text(item.name)}) + "\n" +
                              app::render(app::MessageId::NameRule));
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
        return usage_error(kCommand, app::render(app::MessageId::PictureOptionsOnly));
    }
    if (parsed->flag("--fit") && !has_type(app::FileType::Melody)) {
        return usage_error(kCommand, app::render(app::MessageId::FitMelodiesOnly));
    }
    // Two files of one folder under one name: the second would replace the first.
    std::vector<app::NamedFile> named;
    for (const Item &item : items) {
        named.push_back({item.type, item.name});
    }
    if (const auto clash = app::first_clash(named)) {
        const Item &first = items[clash->first];
        const Item &second = items[clash->second];
        return usage_error(kCommand, app::render(app::MessageId::BothWouldBe,
                                                 {app::printable_local_text(first.file.string()),
                                                  app::printable_local_text(second.file.string()),
                                                  handset_file(second)}));
    }

    if (has_type(app::FileType::Picture)) {
        media::ensure_picture_runtime();  // metafile text needs it, on the main thread
    }
    const bool batch = items.size() > 1;
    const bool json = parsed->flag("--json");
    const bool discard = parsed->flag("--discard");
    HandsetSession session;
    // Under --json a failure before any file was sent is one document on standard output too.
    const auto ended_early = [&](int status, std::string why) {
        if (why.empty()) {
            why = session.failure_text();
        }
        status = session.close(status);
        if (json) {
            std::fputs(json_failure(status, why).c_str(), stdout);
            std::fflush(stdout);
        }
        return status;
    };
    const app::ConversionChoice choice{*picture_choice, parsed->flag("--fit")};
    session.set_choice(choice);
    session.set_verbose(parsed->flag("--verbose"));
    for (Item &item : items) {
        if (const auto refusal = preflight(session, item, choice, &item.length)) {
            return ended_early(kExitFailure, *refusal);
        }
    }
    if (const int status = session.open(global_options()); status != kExitOk) {
        return ended_early(status, {});
    }
    if (const int status = session.connect(); status != kExitOk) {
        return ended_early(status, {});
    }
    const bool dry_run = parsed->flag("--dry-run");
    if (!parsed->flag("--replace")) {
        for (const Item &item : items) {
            if (const auto refusal = refuse_replacing(session, item, dry_run)) {
                std::fprintf(stderr, "zemlo-cli: %s\n", refusal->c_str());
                return ended_early(kExitUsage, *refusal);
            }
        }
    }
    if (dry_run) {
        return report_dry_run(session, items, json);
    }
    const app::MessageId success =
        discard ? app::MessageId::DownloadDiscarded : app::MessageId::DownloadSaved;
    session.set_download_answers(parsed->flag("--preview"), !discard);
    // One file says what became of it as the window's status line would; several get a line each
    // at the end, as does --json.
    session.set_echo(!batch && !json);
    std::string stopped;  // why the files left were not sent
    bool port_error = false;
    for (size_t k = 0; k < items.size(); ++k) {
        Item &item = items[k];
        if (stopped.empty() && session.interrupted()) {
            stopped = app::render(
                app::MessageId::Interrupted);  // between two files: the next one is not started
        }
        if (!stopped.empty()) {
            item.result = app::render(app::MessageId::BatchNotSent, {stopped});
            continue;
        }
        if (batch) {
            std::fprintf(stderr, "%s\n",
                         app::render(app::MessageId::DownloadFileOf,
                                     {std::to_string(k + 1), std::to_string(items.size()),
                                      app::printable_local_text(item.file.string())})
                             .c_str());
        }
        session.clear_outcome();
        item.sent = true;
        session.run([&](app::MainCore &core) {
            core.download_file(item.type, item.file.string(), item.name);
        });
        item.arrived = session.carried_out(success);
        if (item.arrived) {
            item.result = session.finished_text();
            continue;
        }
        item.result = session.failure_text();
        if (item.result.empty()) {
            item.result = app::render(app::MessageId::NotDownloaded);
        }
        port_error = port_error || session.port_error();
        // A full folder, a handset with no room, an event, a lost line or an interrupt: the rest
        // would meet the same, or the user asked to stop.
        if (session.interrupted() || !app::only_this_file(session.failure_result())) {
            stopped = item.result;
        }
    }
    const bool all =
        std::all_of(items.begin(), items.end(), [](const Item &i) { return i.arrived; });
    const int status = session.close(all ? kExitOk : (port_error ? kExitPortError : kExitFailure));
    if (json && !batch) {
        // One file: the command's result as the other commands give theirs.
        const Item &item = items.front();
        std::fputs(
            status == kExitOk
                ? ("{\"result\":\"ok\",\"file\":" + json_string(item.file.string()) +
                   ",\"name\":" + json_string(handset_file(item)) +
                   ",\"kept\":" + (discard ? "false" : "true") + "}\n")
                      .c_str()
                : json_failure(
                      status, session.failure_text().empty() ? item.result : session.failure_text())
                      .c_str(),
            stdout);
        std::fflush(stdout);
    } else if (json) {
        print_json(items);
    } else if (batch) {
        print_lines(items);
    }
    return status;
}

}  // namespace

}  // namespace zemlo::cli
