#pragma once

#include <QSoundEffect>
#include <memory>

#include "platform/gui/WavePlayer.h"

namespace platform {

struct WavePlayer::Impl {
  std::unique_ptr<QSoundEffect> effect;
  // Plays started, with or without an output device to hear them on.
  int started = 0;
};

}  // namespace platform
