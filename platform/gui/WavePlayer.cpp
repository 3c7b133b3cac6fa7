#include "platform/gui/WavePlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "platform/gui/qt/WavePlayerImpl.h"

namespace platform {


WavePlayer::WavePlayer() : impl_(std::make_unique<Impl>()) {}

WavePlayer::~WavePlayer() = default;

void WavePlayer::SetFileName(const std::string& fileName) { fileName_ = fileName; }

void WavePlayer::Play() {
  if (fileName_.empty()) return;
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
