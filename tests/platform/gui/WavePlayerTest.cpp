#include "platform/gui/WavePlayer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/NonRegularEntry.h"
#include "tests/support/TempFolder.h"

namespace {

using platform::WavePlayer;

// The sound system holds the whole file in memory, and would wait for ever
// on a named pipe: a file up to the bound is taken, a larger one or one
// that is no file is not, and the first refusal alone is said.
TEST(WavePlayerTest, TakesARegularFileUpToItsBoundAndSaysOnceWhatItRefuses) {
  testsupport::TempFolder folder;
  const std::string wave = folder.File("gotmail.wav");
  WavePlayer player;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(player.CanPlay(wave)) << "missing";
  std::ofstream(wave, std::ios::binary) << "RIFF";
  std::filesystem::resize_file(wave, WavePlayer::kMaxFileSize);
  EXPECT_TRUE(player.CanPlay(wave));
  std::filesystem::resize_file(wave, WavePlayer::kMaxFileSize + 1);
  EXPECT_FALSE(player.CanPlay(wave));
  std::filesystem::remove(wave);
  testsupport::NonRegularEntry pipe(testsupport::NonRegularEntry::Kind::Fifo, wave);
  EXPECT_FALSE(player.CanPlay(wave));
  EXPECT_FALSE(pipe.Waited());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "pop3check: Cannot read the alert sound \"" + wave + "\": it is larger than 16 MB; no sound is played\n")
      << "a missing file is no news; a refused one is said once";
}

}  // namespace
