// zemlo-cli download FILE [--name NAME] [--type picture|melody] [--effect fit|stretch]
//                         [--replace] [--preview] [--discard]
// Converts a picture or a MIDI file and downloads it as the window does; the window's two
// questions after the transfer (preview on the handset? keep the file?) are the flags.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_args.h"
#include "file_name_rule.h"
#include "handset_session.h"
#include "handset_text.h"
#include "json_text.h"
#include "melody_conversion.h"
#include "pc_file_filter.h"
#include "picture_conversion.h"
#include "picture_runtime.h"
#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

int run(const std::vector<std::string> &args);

const Command kCommand{
    "download",
    "FILE [--name NAME] [--type picture|melody] [--effect fit|stretch] [--replace] [--preview] "
    "[--discard] [--verbose] [--json]",
    "convert a picture or MIDI file and download it to the handset (the name defaults to the "
    "file's own: at most 8 ASCII letters and digits; a handset file of that name is replaced "
    "only with --replace, or when you say so at a terminal; --preview shows or plays it on the "
    "handset, --discard does not keep it, --verbose shows the picture converter's lines). A melody "
    "takes at most 51200 bytes; a folder holds at "
    "most 10 pictures or 20 melodies",
    &run};
const CommandRegistration kRegistration{kCommand};

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

// Everything that needs no handset is checked before the connection, which takes seconds: the file
// converts, a melody strikes a note and is within the handset's limit. The reason when it fails
// (already printed), nothing when the download may go on. The download converts the file again,
// as the window does; a conversion takes a fraction of a connect.
std::optional<std::string> preflight(HandsetSession &session, app::FileType type,
                                     const std::string &file) {
    std::string error;
    const media::PictureFolders folders = media::default_picture_folders(&error);
    if (folders.work_dir.empty()) {
        std::fprintf(stderr, "zemlo-cli: %s\n", error.c_str());
        return error;
    }
    const std::string out = folders.work_dir + "/preflight.dwn";
    if (type == app::FileType::Picture) {
        if (!session.convert_picture(out, file)) {
            const std::string why = app::render(app::MessageId::ConvertPictureFailed);
            std::fprintf(stderr, "zemlo-cli: %s\n", why.c_str());
            return why;
        }
        return std::nullopt;
    }
    media::MelodyOptions options;
    options.refuse_without_notes = true;  // a silent ring tone is no ring tone
    const media::MelodyConversion c = media::convert_melody_file(file, out, options);
    std::string why;
    if (c.without_notes) {
        why = app::render(app::MessageId::MelodyWithoutNotes, {file});
    } else if (!c.written) {
        why = app::render(app::MessageId::ConvertMelodyFailed) + "\n" + c.error;
    } else if (std::error_code ec; fs::file_size(out, ec) > records::kMaxMelodyBytes && !ec) {
        why = app::render(app::MessageId::MelodyTooLarge) + " (" +
              std::to_string(fs::file_size(out, ec)) + " > " +
              std::to_string(records::kMaxMelodyBytes) + " bytes)";
    }
    if (why.empty()) {
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
std::optional<std::string> refuse_replacing(HandsetSession &session, app::FileType type,
                                            const std::string &name) {
    const std::string handset_name = name + std::string(app::file_extension(type));
    bool exists = false;
    session.read([&](const app::MainCore &core) {
        exists = core.listing().table().find(listing::entry_key(handset_name), type) != -1;
    });
    if (!exists) {
        return std::nullopt;
    }
    const std::string shown = app::printable_local_text(handset_name);
    if (::isatty(STDIN_FILENO) == 1 &&
        user_agrees("zemlo-cli: replace " + shown + " on the handset?")) {
        return std::nullopt;
    }
    return shown +
           " is already on the handset: give --replace to replace it, or another name "
           "with --name";
}

int run(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed =
        parse_args(args, {"--name", "--type", "--effect"},
                   {"--preview", "--discard", "--replace", "--verbose", "--json"}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 1) {
        return usage_error(kCommand, "expected one file to download");
    }
    const fs::path file = fs::absolute(parsed->positional[0]);
    if (const auto refusal = refuse_input(file.string())) {
        return usage_error(kCommand, *refusal);
    }
    const auto type = type_of(file, parsed->value("--type"), &error);
    if (!type) {
        return usage_error(kCommand, error);
    }
    media::DisplayEffect effect = media::DisplayEffect::Fit;
    if (const auto e = parsed->value("--effect")) {
        if (*type != app::FileType::Picture) {
            return usage_error(kCommand, "--effect applies to pictures only");
        }
        if (*e == "stretch") {
            effect = media::DisplayEffect::Stretch;
        } else if (*e != "fit") {
            return usage_error(kCommand, "--effect must be fit or stretch");
        }
    }
    // The handset's name rule, checked before anything is converted or sent.
    const std::string name = parsed->value("--name").value_or(file.stem().string());
    if (name.empty()) {
        return usage_error(kCommand, app::render(app::MessageId::EnterName));
    }
    if (const app::NameCheck check = app::check_file_name(name); !check.valid) {
        // The problem, the name given, then the rule itself so that the next try can obey it.
        return usage_error(kCommand, app::render(check.problem) + " (\"" + name +
                                         "\"; give one with --name)\n" +
                                         app::render(app::MessageId::NameRule));
    }

    if (*type == app::FileType::Picture) {
        media::ensure_picture_runtime();  // metafile text needs it, on the main thread
    }
    HandsetSession session;
    const bool json = parsed->flag("--json");
    // Under --json the result is one document on standard output, a failure's too.
    const auto ended = [&](int status, std::string why) {
        if (why.empty()) {
            why = session.failure_text();
        }
        status = session.close(status);
        if (json) {
            std::fputs(
                status == kExitOk
                    ? ("{\"result\":\"ok\",\"file\":" + json_string(file.string()) +
                       ",\"name\":" + json_string(name + std::string(app::file_extension(*type))) +
                       ",\"kept\":" + (parsed->flag("--discard") ? "false" : "true") + "}\n")
                          .c_str()
                    : json_failure(status, why).c_str(),
                stdout);
            std::fflush(stdout);
        }
        return status;
    };
    session.set_effect(effect);
    session.set_verbose(parsed->flag("--verbose"));
    if (const auto refusal = preflight(session, *type, file.string())) {
        return ended(kExitFailure, *refusal);
    }
    if (const int status = session.open(global_options()); status != kExitOk) {
        return ended(status, {});
    }
    if (const int status = session.connect(); status != kExitOk) {
        return ended(status, {});
    }
    if (!parsed->flag("--replace")) {
        if (const auto refusal = refuse_replacing(session, *type, name)) {
            std::fprintf(stderr, "zemlo-cli: %s\n", refusal->c_str());
            return ended(kExitUsage, *refusal);
        }
    }
    session.set_download_answers(parsed->flag("--preview"), !parsed->flag("--discard"));
    session.set_echo(!json);
    session.clear_outcome();
    session.run([&](app::MainCore &core) { core.download_file(*type, file.string(), name); });
    return ended(session.outcome(parsed->flag("--discard") ? app::MessageId::DownloadDiscarded
                                                           : app::MessageId::DownloadSaved),
                 {});
}

}  // namespace

}  // namespace zemlo::cli
