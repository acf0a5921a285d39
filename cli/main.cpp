// zemlo-cli: the handset and the media conversions from the command line.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cli_args.h"
#include "command_suggestion.h"
#include "fleet_runner.h"
#include "global_options.h"
#include "messages.h"
#include "picture_runtime.h"
#include "terminal_text.h"
#include "translation_catalogue.h"
#include "zemlo/run_folder.h"

namespace {

void print_usage(FILE *out) {
    using zemlo::app::MessageId;
    using zemlo::app::render;
    std::string text =
        render(MessageId::HelpSynopsis) + "\n\n" + render(MessageId::HelpCommands) + "\n";
    for (const auto &c : zemlo::cli::registered_commands()) {
        text += std::string("  ") + c.name + " " + c.usage + "\n      " + render(c.summary) + "\n";
    }
    text += "\n" +
            render(MessageId::HelpOptions, {std::to_string(zemlo::cli::kDefaultDeadlineSeconds)}) +
            "\n\n" + render(MessageId::HelpLimits) + "\n\n" + render(MessageId::HelpExitStatus) +
            "\n";
    // On a terminal the long lines are folded to its width; a pipe gets them whole.
    std::fputs(zemlo::cli::fit_to_terminal(std::move(text), out).c_str(), out);
}

// The core's texts follow the user's language. Chinese, the language they are written in, needs
// nothing; English needs the application object that carries the catalogue. That object is the
// picture runtime's, since a command converting a metafile needs that one and there can be only
// one; creating it sets every locale category from the environment, and the command line keeps
// the C locale it has always run in, so its numbers and file names do not change with the locale.
void use_users_language() {
    using namespace zemlo::i18n;
    if (choose_ui_language(locale_variables_from_environment()) == UiLanguage::Chinese) {
        return;
    }
    zemlo::media::ensure_picture_runtime();
    std::setlocale(LC_ALL, "C");
    if (!use_language(UiLanguage::English)) {
        std::fputs("zemlo-cli: the English texts could not be loaded; messages stay in Chinese\n",
                   stderr);
    }
}

}  // namespace

int main(int argc, char **argv) {
    using namespace zemlo::cli;
    // A conversion or download cut short by a signal leaves no folder of its own behind.
    zemlo::remove_run_folders_when_signalled();
    use_users_language();
    std::vector<std::string> args(argv + 1, argv + argc);
    // --port, --device and --trace may stand before the command's name or among its arguments.
    std::string option_error;
    if (auto options = extract_global_options(args, &option_error)) {
        global_options() = *options;
    } else {
        std::fprintf(stderr, "zemlo-cli: %s\n", option_error.c_str());
        return kExitUsage;
    }
    if (args.empty()) {
        print_usage(stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        print_usage(stdout);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::fputs("zemlo-cli " ZEMLO_VERSION "\n", stdout);
        return kExitOk;
    }
    // A two-word command ("convert picture") wins over a one-word one.
    for (size_t words : {2u, 1u}) {
        if (args.size() < words) {
            continue;
        }
        std::string name = args[0];
        if (words == 2) {
            name += " " + args[1];
        }
        for (const auto &c : registered_commands()) {
            if (name == c.name) {
                std::vector<std::string> rest(args.begin() + static_cast<long>(words), args.end());
                for (const auto &a : rest) {
                    if (a == "--help" || a == "-h") {
                        const std::string usage = fit_to_terminal(
                            zemlo::app::render(zemlo::app::MessageId::UsageLine, {c.name, c.usage}),
                            stdout);
                        // A paragraph of its own: its continuations start at the margin.
                        std::string summary = zemlo::app::render(c.summary);
                        if (const auto width = terminal_width(stdout)) {
                            summary = fold_line(summary, *width, 0);
                        }
                        std::printf("%s\n%s\n", usage.c_str(), summary.c_str());
                        return kExitOk;
                    }
                }
                if (global_options().handsets() > 1) {
                    // One worker process per handset; the others serve one handset only.
                    if (!serves_several_handsets(c.name)) {
                        std::fprintf(stderr, "zemlo-cli: %s\n",
                                     global_options().several_error.c_str());
                        return kExitUsage;
                    }
                    return run_on_handsets(c.name, rest, global_options());
                }
                return c.run(rest);
            }
        }
    }
    std::fprintf(stderr, "zemlo-cli: %s\n",
                 zemlo::app::render(zemlo::app::MessageId::UnknownCommand, {args[0]}).c_str());
    std::vector<std::string> names;
    for (const auto &c : registered_commands()) {
        names.emplace_back(c.name);
    }
    if (const auto meant = suggested_commands(args, names); !meant.empty()) {
        std::fprintf(
            stderr, "zemlo-cli: %s\n",
            zemlo::app::render(zemlo::app::MessageId::DidYouMean, {choices_text(meant)}).c_str());
    }
    print_usage(stderr);
    return kExitUsage;
}
