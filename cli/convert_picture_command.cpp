// zemlo-cli convert picture IN OUT [picture options] [--preview PNG]
// Draws the picture as the handset panel does (with the same choice of effect, frame, orientation
// and dither), converts the capture through libpicmill.so and writes the handset picture file;
// the preview is that file decoded back to colours.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "cli_args.h"
#include "handset_picture.h"
#include "messages.h"
#include "output_file.h"
#include "output_paths.h"
#include "picture_options.h"
#include "picture_preview.h"
#include "picture_runtime.h"
#include "picture_selection.h"
#include "stdout_to_stderr.h"

namespace {

using namespace zemlo::cli;
using namespace zemlo::media;

int run(const std::vector<std::string> &args);

const Command kCommand{"convert picture",
                       "IN OUT [--effect fit|stretch|cover] [--crop X,Y,W,H | --zoom Z "
                       "[--center X,Y]] [--dither] [--no-autorotate] [--preview PNG] [--verbose]",
                       zemlo::app::MessageId::SummaryConvertPicture, &run};
const CommandRegistration kRegistration{kCommand};

bool write_preview(const std::string &picture_path, const std::string &png_path,
                   std::string *error) {
    std::ifstream in(picture_path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    const QImage image = handset_picture_image(bytes);
    if (image.isNull()) {
        *error = picture_path + " is not a whole handset picture";
        return false;
    }
    // Encoded in memory and written through the output file, so that the path stays the bytes
    // the user gave and every write is checked.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        *error = "cannot encode the preview of " + picture_path;
        return false;
    }
    return write_output_file(png_path, png.constData(), static_cast<size_t>(png.size()), error);
}

int run(const std::vector<std::string> &args) {
    std::string error;
    std::set<std::string> valued = picture_valued_options();
    valued.insert("--preview");
    std::set<std::string> flags = picture_flag_options();
    flags.insert("--verbose");
    const auto parsed = parse_args(args, valued, flags, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 2) {
        return usage_error(kCommand,
                           zemlo::app::render(zemlo::app::MessageId::ExpectedPictureAndOutput));
    }
    const auto choice = picture_choice_from(*parsed, &error);
    if (!choice) {
        return usage_error(kCommand, error);
    }
    const std::string &input = parsed->positional[0];
    const std::string &output = parsed->positional[1];
    const auto preview = parsed->value("--preview");
    std::vector<NamedOutput> outputs{{"OUT", output}};
    if (preview) {
        outputs.push_back({"--preview", *preview});
    }
    if (const auto refusal = refuse_input(input)) {
        return usage_error(kCommand, *refusal);
    }
    if (const auto refusal = refuse_outputs(input, outputs)) {
        return usage_error(kCommand, *refusal);
    }

    ensure_picture_runtime();
    const PictureFolders folders = default_picture_folders(&error);
    if (folders.work_dir.empty()) {
        return fail(error);
    }
    PictureSelection selection(folders);
    selection.set_choice(*choice);
    ConversionOutcome outcome;
    {
        // The converter library's diagnostic lines are not the command's result; they are
        // shown when the conversion fails or --verbose asks.
        StdoutToStderr diverted(parsed->flag("--verbose"));
        if (!selection.show_picture(input)) {
            diverted.pass_on();
            return fail(input + ": " + selection.last_error());
        }
        selection.draw();
        if (selection.framing_error() != FramingError::None) {
            return usage_error(kCommand, framing_refusal(selection.framing_error(),
                                                         selection.picture()->upright_size()));
        }
        if (!selection.last_error().empty()) {
            diverted.pass_on();
            return fail(selection.last_error());
        }
        outcome = selection.convert_selection(output, input);
        if (!outcome.ok) {
            diverted.pass_on();
        }
    }
    if (!outcome.ok) {
        return fail(outcome.error);
    }
    if (preview && !write_preview(output, *preview, &error)) {
        return fail(error);
    }
    return kExitOk;
}

}  // namespace
