#include "platform/gui/WavePlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <cstdio>

#include "platform/core/Exception.h"
#include "platform/core/Files.h"
#include "platform/gui/qt/WavePlayerImpl.h"

namespace platform {

WavePlayer::WavePlayer() : impl_(std::make_unique<Impl>()) {}

WavePlayer::~WavePlayer() = default;

void WavePlayer::SetFileName(const std::string& fileName) { fileName_ = fileName; }

bool WavePlayer::CanPlay(const std::string& fileName) {
  if (!EntryExists(fileName)) return false;
  try {
    CheckRegularFile(fileName, kMaxFileSize, "the alert sound");
    return true;
  } catch (const EFileError& error) {
    // Said where a missing keyring is said too: a box at every alert would
    // be worse than no sound.
    if (!refusalReported_) std::fprintf(stderr, "pop3check: %s; no sound is played\n", error.Message().c_str());
    refusalReported_ = true;
    return false;
  }
}

// The file is looked at again on every play: it may have been replaced
// since start-up.
void WavePlayer::Play() {
  if (fileName_.empty() || !CanPlay(fileName_)) return;
  ++impl_->started;
  // Without an output device the sound effect would only report errors; a
  // machine without sound simply stays silent.
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  if (!impl_->effect) impl_->effect = std::make_unique<QSoundEffect>();
  QUrl source = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(fileName_)));
  if (impl_->effect->source() != source) impl_->effect->setSource(source);
  impl_->effect->setLoopCount(1);
  impl_->effect->play();
}

}  // namespace platform
