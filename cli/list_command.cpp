// zemlo-cli list [--json]: connects and shows the handset's space and the files of both folders.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "handset_session.h"
#include "handset_text.h"
#include "json_text.h"
#include "messages.h"
#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::cli {

namespace {

int run(const std::vector<std::string> &args);

const Command kCommand{"list", "[--json]", app::MessageId::SummaryList, &run};
const CommandRegistration kRegistration{kCommand};

struct ListedFile {
    std::string name;
    int64_t size = 0;
    uint64_t allocated = 0;
};

struct Listing {
    int64_t capacity = 0;
    int64_t free_space = 0;
    std::vector<ListedFile> folders[2];
};

constexpr const char *kFolderKeys[2] = {"pic", "melody"};

Listing read_listing(const app::MainCore &core) {
    Listing l;
    l.capacity = core.listing().capacity();
    l.free_space = core.listing().free_space();
    for (const auto &e : core.listing().table().entries()) {
        ListedFile f;
        f.name = std::string(listing::entry_name(e.text));
        f.size = listing::entry_size_after(e.text, e.text.find(listing::kSizeMark));
        f.allocated = records::allocation_size(static_cast<uint64_t>(f.size));
        l.folders[static_cast<size_t>(e.type)].push_back(std::move(f));
    }
    return l;
}

std::string folder_path(int type) {
    return std::string(app::folder_path(static_cast<app::FileType>(type)));
}

void print_json(const Listing &l, const HandsetSession &s) {
    std::string out = "{\"port\":" + std::to_string(s.com_port()) +
                      ",\"device\":" + json_string(s.device()) +
                      ",\"capacity\":" + std::to_string(l.capacity) +
                      ",\"used\":" + std::to_string(l.capacity - l.free_space) +
                      ",\"free\":" + std::to_string(l.free_space) + ",\"folders\":{";
    for (int type = 0; type < 2; ++type) {
        out += std::string(type == 0 ? "" : ",") + "\"" + kFolderKeys[type] +
               "\":{\"path\":" + json_string(folder_path(type)) + ",\"files\":[";
        bool first = true;
        for (const auto &f : l.folders[type]) {
            out += std::string(first ? "" : ",") + "{\"name\":" + json_string(f.name) +
                   ",\"size\":" + std::to_string(f.size) +
                   ",\"allocated\":" + std::to_string(f.allocated) + "}";
            first = false;
        }
        out += "]}";
    }
    out += "}}\n";
    std::fputs(out.c_str(), stdout);
}

void print_text(const Listing &l, const HandsetSession &s) {
    std::printf("COM%u (%s)\n", s.com_port(), app::printable_local_text(s.device()).c_str());
    std::printf("%s\n",
                app::render(app::MessageId::ListingSpace,
                            {std::to_string(l.capacity), std::to_string(l.capacity - l.free_space),
                             std::to_string(l.free_space)})
                    .c_str());
    for (int type = 0; type < 2; ++type) {
        std::printf("%s (%zu)\n", folder_path(type).c_str(), l.folders[type].size());
        for (const auto &f : l.folders[type]) {
            // The name is the handset's: shown decoded and with its controls escaped, never raw.
            std::printf("  %-12s %8llu\n", app::printable_handset_text(f.name).c_str(),
                        static_cast<unsigned long long>(f.allocated));
        }
    }
}

int run(const std::vector<std::string> &args) {
    std::string error;
    const auto parsed = parse_args(args, {}, {"--json"}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (!parsed->positional.empty()) {
        return usage_error(kCommand, app::render(app::MessageId::NoFileNames, {"list"}));
    }
    HandsetSession session;
    const bool json = parsed->flag("--json");
    // Under --json a failure is a document too, so a script reads one shape either way.
    const auto failed = [&](int status) {
        const std::string why = session.failure_text();
        status = session.close(status);
        if (json) {
            std::fputs(json_failure(status, why).c_str(), stdout);
            std::fflush(stdout);
        }
        return status;
    };
    if (const int status = session.open(global_options()); status != kExitOk) {
        return failed(status);
    }
    if (const int status = session.connect(); status != kExitOk) {
        return failed(status);
    }
    Listing listing;
    session.read([&](const app::MainCore &core) { listing = read_listing(core); });
    if (json) {
        print_json(listing, session);
    } else {
        print_text(listing, session);
    }
    std::fflush(stdout);
    return session.close(kExitOk);
}

}  // namespace

}  // namespace zemlo::cli
