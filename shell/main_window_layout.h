// Where every control of the main window sits, in dialog units of the window's client area
// (below the menu bar). The window is exactly this table: a fixed frame of kWidth x kHeight.
#pragma once

#include "dialog_units.h"

namespace zemlo::shell::main_window_layout {

inline constexpr int kWidth = 471;
inline constexpr int kHeight = 331;

// The rule under the menu bar: a sunken line across the window.
inline constexpr DuRect kRule{3, 2, 459, 0};

// Top row: the file type and the chosen PC file.
inline constexpr DuRect kTypeLabel{5, 10, 58, 9};
inline constexpr DuRect kTypeBox{76, 8, 78, 13};
inline constexpr DuRect kChooseLabel{159, 10, 38, 10};
inline constexpr DuRect kPcFileLabel{206, 9, 256, 11};

// The PC browser (upper left).
inline constexpr DuRect kPcTree{3, 25, 151, 144};
inline constexpr DuRect kPcList{156, 25, 188, 144};

// The download name with its extension, and the handset's free space.
inline constexpr DuRect kNameLabel{7, 181, 46, 10};
inline constexpr DuRect kNameBox{61, 179, 260, 12};
inline constexpr DuRect kExtensionLabel{324, 181, 19, 10};
inline constexpr DuRect kSpaceGauge{3, 197, 341, 9};

// The handset's folders and files (lower left).
inline constexpr DuRect kHandsetTree{3, 209, 151, 105};
inline constexpr DuRect kHandsetList{156, 209, 188, 105};

// The command buttons in their group (lower right), one above the other, 24 units apart. 22 units
// high (41 pixels at the normal font) so that the 32-pixel icon fits whole inside the frame line
// and the focus ring with room for the pressed shift.
inline constexpr DuRect kButtonGroup{355, 175, 106, 139};
inline constexpr int kButtonX = 373;
inline constexpr int kButtonWidth = 69;
inline constexpr int kButtonHeight = 22;
inline constexpr DuRect kConnectButton{kButtonX, 188, kButtonWidth, kButtonHeight};
inline constexpr DuRect kDownloadButton{kButtonX, 212, kButtonWidth, kButtonHeight};
inline constexpr DuRect kRenameButton{kButtonX, 236, kButtonWidth, kButtonHeight};
inline constexpr DuRect kDeleteButton{kButtonX, 260, kButtonWidth, kButtonHeight};
inline constexpr DuRect kDisconnectButton{kButtonX, 284, kButtonWidth, kButtonHeight};

// The status bar: the link state and the status line.
inline constexpr DuRect kLinkState{3, 318, 68, 10};
inline constexpr DuRect kStatusLine{74, 318, 387, 10};

}  // namespace zemlo::shell::main_window_layout
