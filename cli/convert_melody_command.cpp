// zemlo-cli convert melody IN OUT: a standard MIDI file into the handset melody file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "melody_conversion.h"
#include "output_paths.h"

namespace zemlo::cli {

namespace {

int run(const std::vector<std::string> &args);

const Command kCommand{"convert melody", "IN.mid OUT",
                       "convert a MIDI file into the handset melody file", run};
const CommandRegistration kRegistration{kCommand};

int run(const std::vector<std::string> &args) {
    std::string error;
    auto parsed = parse_args(args, {}, {}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 2) {
        return usage_error(kCommand, "expected a MIDI file and an output file");
    }
    const std::string &in = parsed->positional[0];
    const std::string &out = parsed->positional[1];
    if (const auto refusal = refuse_outputs(in, {{"OUT", out}})) {
        return usage_error(kCommand, *refusal);
    }
    const media::MelodyConversion c = media::convert_melody_file(in, out);
    if (!c.written) {
        return fail(c.error);
    }
    if (c.stop != media::MergeStop::kComplete) {
        std::fprintf(stderr,
                     "zemlo-cli: warning: %s: the melody ends early at byte %zu (%s); the events "
                     "before it are kept\n",
                     in.c_str(), c.stop_offset, media::describe(c.stop));
    }
    if (c.tracks_cut != 0) {
        std::fprintf(stderr,
                     "zemlo-cli: warning: %s: %zu track(s) had an event running past "
                     "the track's end and stop there\n",
                     in.c_str(), c.tracks_cut);
    }
    std::printf("%s: %zu bytes, %zu track(s) merged\n", out.c_str(), c.output_bytes, c.tracks);
    return kExitOk;
}

}  // namespace

}  // namespace zemlo::cli
