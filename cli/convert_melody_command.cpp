// zemlo-cli convert melody IN OUT [--fit]: a standard MIDI file into the handset melody file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "melody_conversion.h"
#include "messages.h"
#include "output_paths.h"
#include "zemlo/handset_records.h"

namespace zemlo::cli {

namespace {

int run(const std::vector<std::string> &args);

const Command kCommand{"convert melody", "IN.mid OUT [--fit]", app::MessageId::SummaryConvertMelody,
                       run};

// Seconds with one decimal, whatever the locale.
std::string seconds(uint64_t micros) {
    constexpr uint64_t kMicrosPerTenth = 100000;
    const uint64_t tenths = (micros + kMicrosPerTenth / 2) / kMicrosPerTenth;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// What stopped the merge early, in the user's language.
app::MessageId stop_reason(media::MergeStop stop) {
    switch (stop) {
        case media::MergeStop::kBadTempoLength:
            return app::MessageId::StopBadTempoLength;
        case media::MergeStop::kBadEndOfTrackLength:
            return app::MessageId::StopBadEndOfTrackLength;
        case media::MergeStop::kBadStatus:
            return app::MessageId::StopBadStatus;
        case media::MergeStop::kComplete:
            break;
    }
    return app::MessageId::None;
}
const CommandRegistration kRegistration{kCommand};

int run(const std::vector<std::string> &args) {
    std::string error;
    auto parsed = parse_args(args, {}, {"--fit"}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 2) {
        return usage_error(kCommand, app::render(app::MessageId::ExpectedMidiAndOutput));
    }
    const std::string &in = parsed->positional[0];
    const std::string &out = parsed->positional[1];
    if (const auto refusal = refuse_input(in)) {
        return usage_error(kCommand, *refusal);
    }
    if (const auto refusal = refuse_outputs(in, {{"OUT", out}})) {
        return usage_error(kCommand, *refusal);
    }
    constexpr size_t kLimit = records::kMaxMelodyBytes;
    media::MelodyOptions options;
    options.fit_limit = parsed->flag("--fit") ? kLimit : 0;
    // A melody without a note would be a silent ring tone: nothing is written for it.
    options.refuse_without_notes = true;
    const media::MelodyConversion c = media::convert_melody_file(in, out, options);
    if (c.without_notes) {
        return fail(app::render(app::MessageId::MelodyWithoutNotes, {in}));
    }
    if (!c.written) {
        return fail(c.error);
    }
    if (c.stop != media::MergeStop::kComplete) {
        std::fprintf(
            stderr, "zemlo-cli: %s\n",
            app::render(app::MessageId::MelodyEndsEarly,
                        {in, std::to_string(c.stop_offset), app::render(stop_reason(c.stop))})
                .c_str());
    }
    if (c.tracks_cut != 0) {
        std::fprintf(
            stderr, "zemlo-cli: %s\n",
            app::render(app::MessageId::MelodyTracksCut, {in, std::to_string(c.tracks_cut)})
                .c_str());
    }
    std::printf("%s\n", app::render(app::MessageId::MelodyConverted,
                                    {out, std::to_string(c.output_bytes), std::to_string(c.tracks)})
                            .c_str());
    if (c.cut) {
        std::printf("%s\n", app::render(app::MessageId::MelodyCutToFit,
                                        {std::to_string(kLimit), seconds(c.kept_micros),
                                         seconds(c.total_micros)})
                                .c_str());
    } else if (c.output_bytes > kLimit) {
        std::fprintf(stderr, "zemlo-cli: %s\n",
                     app::render(app::MessageId::MelodyOverLimit,
                                 {std::to_string(c.output_bytes), std::to_string(kLimit)})
                         .c_str());
    }
    return kExitOk;
}

}  // namespace

}  // namespace zemlo::cli
