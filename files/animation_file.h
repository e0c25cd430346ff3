#pragma once
// A sweep's animation written into an image file on its way to disk: the one way both desktop
// front ends encode an animation, with the one set of reasons they report when it fails.
// The caller opens the file before (so that a target that cannot be written is known before a
// long render) and commits it after, or lets it go, which leaves no file behind.

#include <QString>

#include "animation/animate.h"
#include "files/image_file.h"
#include "sweeps/render.h"

namespace files {

enum class Encoded { Whole, Stopped, Failed };

// Renders and encodes the animation into `file`, which is open. The render's pump can follow
// the progress and stop it (Stopped: *error untouched). On Failed, *error says why: the file's
// own reason when it refused the bytes, NotEnoughMemory when an allocation failed, the encoder's
// reason otherwise. On Whole every byte is in the file, not yet committed.
[[nodiscard]] Encoded EncodeAnimation(const animation::AnimationRequest& request,
                                      PendingImageFile& file, const sweeps::RenderPump& pump,
                                      QString* error);

// The reason given when a picture or an animation at this scale does not fit in memory, and
// whether a reason is that one, at any scale.
[[nodiscard]] QString NotEnoughMemory(int scale);
[[nodiscard]] bool IsNotEnoughMemory(const QString& reason);

}  // namespace files
