// Every text of the core and the command line that a user reads, in one table keyed by MessageId.
// The sources are written so that the translation tool extracts them (context "Messages"); a text
// is rendered through the installed translator, and with none installed it is the source itself.
// Parameters are Qt's %1, %2, so a translation can move them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zemlo::app {

enum class MessageId : uint16_t {
    None,  // no text: a progress report with it hides the wait window

    // Captions and buttons of the boxes.
    CaptionConfirm,
    CaptionError,
    ButtonOk,
    ButtonCancel,

    // Connect, listing, disconnect and handset events.
    Connecting,
    PhoneCommError,
    ReadingData,
    ConnectDone,
    ConnectFailed,
    Disconnecting,
    Disconnected,
    NoAnswer,
    ResultUnknown,  // the handset's confirmation was lost: it may have done it
    LineLost,
    EventIncomingCall,
    EventBatteryLow,
    EventTimeout,
    EventUserBreak,
    Connected,     // %1 the COM number
    NotConnected,  // %1 the COM number

    // Commands refused before they start.
    LibraryLoadFailed,
    ChooseFile,
    EnterName,
    Busy,
    NameTooLong,
    NameBadChars,

    // Questions.
    ConfirmDownload,  // %1 the PC file, %2 the handset name
    ConfirmRename,    // %1 the old name, %2 the new name
    ConfirmDelete,    // %1 the handset file
    ConfirmFormat,
    PreviewPicture,
    PreviewMelody,
    KeepFile,
    FormatNeedsYes,

    // Download.
    OpenFileFailed,  // %1 the file or the reason
    UnsupportedType,
    TooManyFiles,
    ConvertingPicture,
    ConvertingMelody,
    ConvertPictureFailed,
    ConvertMelodyFailed,
    ConvertPictureDone,
    ConvertMelodyDone,
    MelodyTooLarge,
    FileTooLarge,
    NoSpace,
    StartingDownload,
    FileInUse,
    StartDownloadFailed,
    StartPacketFailed,
    SendingPacket,  // %1 the packet number
    PacketFailed,   // %1 the packet number
    EndPacketFailed,
    Previewing,
    PreviewSet,
    SaveFailed,         // %1 the PC file
    DownloadSaved,      // %1 the PC file
    DownloadDiscarded,  // %1 the PC file
    Discarding,

    // Several files in one download.
    ConfirmBatch,    // %1 how many files, %2 the handset folder
    KeepAll,         // %1 how many files
    BatchStep,       // %1 the file's number, %2 how many, %3 its name, %4 the step's text
    BatchNameClash,  // %1 and %2 the PC files, %3 the handset name both would have
    BatchNoName,     // %1 the PC file
    BatchSummary,    // %1 how many arrived, %2 how many files, %3 a line for each
    BatchLine,       // %1 the PC file, %2 the handset name, %3 its result
    BatchNotSent,    // %1 why the files left were not sent
    BatchCancelled,
    BatchUnfinished,

    // Rename, delete, format.
    Renaming,
    RenameFailed,
    RenameDone,
    Deleting,
    DeleteFailed,
    DeleteDone,
    Formatting,
    FormatInUse,
    FormatFailed,
    Restarting,
    FormatReconnecting,  // %1 the try, %2 the seconds left
    FormatReadingFiles,
    FormatDone,
    FormatNotDone,
    FormatUnconfirmed,

    // The link's own errors (the port and the library).
    PortInvalid,
    PortCannotOpen,
    PortCannotOpenBecause,  // %1 the library's reason
    PortBusy,
    LibraryVersionInvalid,
    UnknownError,
    FilterFileMissing,
    FilterSignalsMissing,
    SignallingSetupFailed,
    PortNotOpened,
    OpenPortExportMissing,
    SetupExportMissing,

    // Conversions checked before a download (zemlo-cli convert; the panels show the same).
    MelodyOverLimit,     // %1 the converted size in bytes, %2 the limit in bytes
    MelodyWithoutNotes,  // %1 the MIDI file
    MelodyCutToFit,      // %1 the limit in bytes, %2 seconds kept, %3 seconds of the whole
    PictureEffectChoice,
    PictureCropFormat,
    PictureCenterFormat,
    PictureZoomRange,  // %1 the least zoom, %2 the greatest
    PictureCropWithZoom,
    PictureFrameOutside,  // %1 the width, %2 the height of the upright picture in pixels

    // Second lines under a message whose first line says what failed: the figures, the reason
    // or the fix.
    CheckConnection,
    NothingKept,
    LineLostNothingKept,
    SpaceNeeded,  // %1 the bytes the file takes, %2 the bytes available
    NameTaken,    // %1 the handset file of that name
    NameRule,
    ProbeHint,  // the command line's way to find the handset's port

    // The command line's own texts.
    ListingSpace,       // %1 the capacity, %2 the bytes used, %3 the bytes free
    NoSuchHandsetFile,  // %1 the file's name, %2 the handset folder
    HelpSynopsis,       // the two synopsis lines of --help
    HelpCommands,
    HelpOptions,  // %1 the default deadline in seconds
    HelpLimits,
    HelpExitStatus,
    UsageLine,       // %1 the command's name, %2 its arguments
    UnknownCommand,  // %1 the word given
    DidYouMean,      // %1 the commands meant, "list" or "convert picture / convert melody"
    SummaryConvertMelody,
    SummaryConvertPicture,
    SummaryDownload,
    SummaryRename,
    SummaryDelete,
    SummaryFormat,
    SummaryList,
    SummaryPlay,
    SummaryPorts,
    ExpectedFilesToDownload,
    NameForOneFile,
    NameOrNameFromFile,
    PictureOptionsOnly,
    FitMelodiesOnly,
    BothWouldBe,         // %1 and %2 the PC files, %3 the handset name both would have
    TypeNotKnown,        // %1 the PC file
    NameGivenGiveName,   // %1 the name the file would have had
    NameGivenFromFile,   // %1 the name the file would have had
    MelodyOverFitHint,   // %1 the converted size, %2 the limit, both in bytes
    ReplaceQuestion,     // %1 the handset file
    ReplaceNeedsOption,  // %1 the handset file
    DownloadFileOf,      // %1 the file's number, %2 how many, %3 the PC file
    NotDownloaded,
    Interrupted,
    DryRunNotSent,  // %1 why
    DryRunRefused,  // %1 why
    DryRunSend,     // %1 the converted bytes, %2 what it takes on the handset, %3 free after
    DryRunReplace,  // as DryRunSend, %3 the handset file it replaces, %4 free after
    DryRunSummary,  // %1 the bytes free now, %2 after
    NoSoundDevice,  // %1 the MIDI file
    PortsNoArguments,
    NoSerialDevices,
    PortInUse,         // %1 the COM number, %2 its device
    PortInUseMissing,  // as PortInUse
    NoComNumber,
    DeviceMissing,
    FieldDescription,
    FieldManufacturer,
    FieldDriver,
    FieldSerialNumber,
    FieldLatencyTimer,
    FieldLowLatency,
    LowLatencyOn,
    LowLatencyAlreadyOn,
    LowLatencyRefused,
    LowLatencyUnsupported,
    LowLatencyUnknown,
    LatencyRuleHint,  // %1 the timer in milliseconds
    ProbeAnswers,
    ProbeNoAnswer,
    ProbeCannotOpen,  // %1 why
    NoHandsetAnswered,
    HandsetFound,         // %1 the device
    HandsetFoundWithCom,  // %1 the device, %2 its COM number
    UnknownOption,        // %1 the option as given
    OptionMeant,          // %1 the unknown option's message, %2 the options meant
    OptionNeedsValue,     // %1 the option
    NoSuchInputFile,      // %1 the PC file
    NotRegularFile,       // %1 the PC file
    TypeWord,
    ExpectedMidiAndOutput,
    ExpectedPictureAndOutput,
    ExpectedRenameArgs,
    FolderWord,
    NewNameEmpty,
    ExpectedDeleteArgs,
    NoFileNames,  // %1 the command
    ExpectedOneMidi,

    // Why a port cannot be opened, and what to do.
    PortIsDevice,          // %1 the COM number, %2 its device
    DiagnosisWhy,          // %1 why the port cannot be opened
    DiagnosisFix,          // %1 the first thing to do
    DiagnosisFixMore,      // %1 a further step, lined up under the first
    PermissionNewSession,  // %1 the device, %2 the user, %3 the group
    LogInAgainOrNewgrp,    // %1 the group
    PermissionInGroup,     // %1 the device, %2 the user, %3 the group
    CheckDeviceMode,       // %1 the device
    PermissionNotInGroup,  // %1 the device, %2 the user, %3 the group
    LogInAgainForGroup,
    PortBusyHeld,    // %1 the device
    PortBusyHeldBy,  // %1 the device, %2 the programs that hold it
    ModemManagerHolds,
    ModemManagerMaybe,
    ReplugCable,
    CloseHolder,
    NoSuchDevice,  // %1 the device
    NoSerialDeviceFound,
    SerialDevicesThatExist,  // %1 the devices
    PickWithDevice,
    OtherKindOfFile,  // %1 the device, %2 what it is
    KindSocket,
    KindNamedPipe,
    KindFolder,
    KindRegularFile,
    KindBlockDevice,
    NotSerialDevice,  // %1 the device
    GiveSerialDevice,
    OpensNow,  // %1 the device
    TryAgain,
    CannotOpenDevice,  // %1 the device, %2 the system's reason

    // A download's progress line and convert melody's report.
    ProgressLine,      // %1 the packets sent, %2 of how many, %3 the bytes sent, %4 of how many
    ProgressTimeLeft,  // %1 the seconds left
    MelodyConverted,   // %1 the melody file, %2 its bytes, %3 the tracks merged
    MelodyEndsEarly,   // %1 the MIDI file, %2 the byte where it stops, %3 what stopped it
    MelodyTracksCut,   // %1 the MIDI file, %2 how many tracks
    StopBadTempoLength,
    StopBadEndOfTrackLength,
    StopBadStatus,

    // The many-handsets runner: its live lines, the summary table and the failures line.
    FleetHandset,  // the table's column words, as wide as the widest of them
    FleetResult,
    FleetTime,
    FleetRate,
    FleetOk,
    FleetFailed,
    FleetWholeCommand,
    FleetFailures,  // %1 how many failed, %2 of how many, %3 the handsets and why
    FleetStarting,
    FleetDone,

    // The global options' errors, the deadline, the trace file and the many-handsets workers.
    OptionGivenTwice,  // %1 the option
    PortTakesNumber,   // %1 the highest COM number
    SeveralPortsOnly,
    DeadlineTakesSeconds,  // %1 the longest deadline
    PortOrDevice,
    DeadlinePassed,  // %1 the deadline in seconds
    StoppedCommandStuck,
    TraceNotWritable,     // %1 the trace file
    WorkerNotStarted,     // %1 why
    WorkerEndedBySignal,  // %1 the signal's number
    WorkersNeedTheProgram,
    // A Windows port name given as a device.
    WindowsPortName,      // %1 the name, %2 the Linux device, %3 the COM number
    DeviceTrailingColon,  // %1 the name, %2 the name without its colon

    Count,
};

// The texts from this one on are the command line's own; the window never shows them.
inline constexpr MessageId kFirstCommandLineText = MessageId::ListingSpace;

// A message with its parameters, as the core hands it on. The first line is what failed, as the
// window has always said it; a detail, when there is one, is a second line under it with the
// figures, the reason or the fix.
struct Message {
    MessageId id = MessageId::None;
    std::vector<std::string> args;
    MessageId detail = MessageId::None;
    std::vector<std::string> detail_args;

    bool empty() const { return id == MessageId::None; }
    bool operator==(const Message &) const = default;
};

// The untranslated source text of a message (with its placeholders).
const char *source_text(MessageId id);
// A message in the user's language, its parameters put in byte for byte (a file name that is not
// UTF-8 stays as it is; a "%2" inside a parameter is not replaced again).
std::string render(MessageId id, const std::vector<std::string> &args = {});
// The message and, on a line of its own, its detail.
std::string render(const Message &message);
// The first line alone, for a place that shows one line (the status line).
std::string render_headline(const Message &message);

// Puts the parameters in at their %1..%9 in one pass, so that what a parameter brings is never
// read as a placeholder; a %n without a parameter stays as written.
std::string fill_in(const std::string &text, const std::vector<std::string> &args);

}  // namespace zemlo::app
