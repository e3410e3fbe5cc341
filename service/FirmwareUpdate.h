#pragma once
// The firmware update, as the window and zur-cli run it: the update-mode probe, preparation
// through the command protocol, the update-start transaction and the block transfer through the
// link protocol. It drives the protocol objects itself, tells its front end through the observer
// how far it got, and returns what happened; the front end words it.

#include "firmware/FirmwareImage.h"
#include "service/Observer.h"
#include "service/Outcome.h"

namespace PtnLL {
class TPtnLL;
}
namespace uDispenser {
class TDispenserLL;
}

namespace FirmwareUpdate {

constexpr int kBlockBytes = 33;          // body bytes per update block
constexpr int kRepeats = 15;             // repeats of enter-update-mode and of the update start
constexpr int kModeSwitchPauseMs = 1000; // time for the controller to switch to update mode

// True when the controller answers the configuration request as a controller already in update
// mode does: a 3-byte reply from the engine's address that is not an acknowledgement.
bool ProbeUpdateMode(uDispenser::TDispenserLL& Engine);

// The whole update: refused without an image; otherwise the preparation (stage Preparing), the
// pause, the update start and then TransferBlocks.
Outcome::TUpdateOutcome Update(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands,
                               uDispenser::TDispenserLL& Engine, Observer::TObserver& Front);

// Update, made again from the probe when it failed where the controller stays in update mode (the
// update start or a block), up to Attempts times in all; the probe then finds update mode and skips
// the preparation, and the blocks start again from the first. No single block is sent twice: the
// controller may not take a repeated block as a repeat. The last attempt's outcome, with Attempts
// made.
Outcome::TUpdateOutcome Update(FirmwareImage::TImageState& Image, PtnLL::TPtnLL& Commands,
                               uDispenser::TDispenserLL& Engine, Observer::TObserver& Front, int Attempts);

// The image body in blocks from TransferPos on (stage Transferring), each sent once; TransferPos
// is back at the first block however it ends.
Outcome::TUpdateOutcome TransferBlocks(FirmwareImage::TImageState& Image, uDispenser::TDispenserLL& Engine,
                                       Observer::TObserver& Front);

} // namespace FirmwareUpdate
