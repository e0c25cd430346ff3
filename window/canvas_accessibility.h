#pragma once
// What screen readers are told about the window: the window is a frame and the canvas a
// canvas (Qt would show both as anonymous panes), and the canvas's description says which sweep
// is drawing or was drawn last, over which angles, and whether it was stopped. Japanese.

#include <QString>
#include <optional>

#include "sweeps/sweeps.h"

namespace window {

// Installs the roles' factory into Qt's accessibility, once per process.
void InstallAccessibleRoles();

// The canvas's description before any sweep.
[[nodiscard]] QString NothingDrawnYet();

// The canvas's description for a sweep that read `sweep`: still drawing (no end), or ended.
[[nodiscard]] QString CanvasDescription(const sweeps::SweepInputs& sweep,
                                        std::optional<sweeps::SweepEnd> end);

}  // namespace window
