// Who asked for the handset's listing, which arrives afterwards as a block transfer: it decides
// what the listing completes when it comes.
#pragma once

namespace zemlo::app {

enum class ListingPurpose {
    Connect,      // completes a connect: its outcome comes with the listing
    Again,        // shows what the handset has after a command it did not confirm
    FormatCheck,  // the format's running operation waits for it to judge the store
};

}  // namespace zemlo::app
