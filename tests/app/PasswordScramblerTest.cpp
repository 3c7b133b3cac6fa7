#include "app/PasswordScrambler.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/core/ProfileFile.h"
#include "tests/support/TempFolder.h"

namespace {

using app::DecodeStoredPassword;
using app::EncodeStoredPassword;
using app::ScramblePassword;

std::string Bytes(std::initializer_list<int> values) {
  std::string result;
  for (int v : values) result.push_back(static_cast<char>(v));
  return result;
}

// A settings file in a folder of its own, removed afterwards.
class SettingsFile {
 public:
  std::string Path() const { return folder_.File("pop3.ini"); }

  // What start-up makes of a password saved at close.
  std::string RoundTrip(const std::string& password) const {
    platform::ProfileFile profile(Path(), platform::FileAccess::OwnerOnly);
    profile.WriteString("EMAIL", "Password", EncodeStoredPassword(password));
    return DecodeStoredPassword(profile.ReadString("EMAIL", "Password", ""));
  }

 private:
  testsupport::TempFolder folder_{"scrambler"};
};

TEST(ScramblePasswordTest, CombinesEveryCharacterWithD5) {
  EXPECT_EQ(ScramblePassword(std::string("abc")), Bytes({0xB4, 0xB7, 0xB6}));
  EXPECT_EQ(ScramblePassword(std::string("Pass1")), Bytes({0x85, 0xB4, 0xA6, 0xA6, 0xE4}));
  EXPECT_EQ(ScramblePassword(std::string()), "");
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(static_cast<unsigned char>(ScramblePassword(static_cast<char>(c))), c ^ 0xD5);
  }
  std::string text = "any \xff text";
  EXPECT_EQ(ScramblePassword(ScramblePassword(text)), text);
}

TEST(StoredPasswordTest, OrdinaryPasswordsKeepThePlainScrambledForm) {
  // Every password without a character that scrambles to NUL, LF or CR, and
  // not starting with NUL, is stored exactly as scrambled, so files written
  // by earlier versions read back the same.
  std::mt19937 random(1);
  for (int round = 0; round < 2000; ++round) {
    std::string password(random() % 40, '\0');
    for (char& c : password) {
      do c = static_cast<char>(random() & 0xFF);
      while (c == '\xD5' || c == '\xDF' || c == '\xD8');
    }
    if (!password.empty() && password.front() == '\0') password.front() = 'x';
    std::string stored = ScramblePassword(password);
    ASSERT_EQ(EncodeStoredPassword(password), stored);
    ASSERT_EQ(DecodeStoredPassword(stored), password);
  }
  EXPECT_EQ(EncodeStoredPassword("secret"), ScramblePassword(std::string("secret")));
}

TEST(StoredPasswordTest, UnstorablePasswordsTakeTheLineSafeEscapedForm) {
  // 'ß' (0xDF) scrambles to LF, 'Ø' (0xD8) to CR, 'Õ' (0xD5) to NUL.
  std::string password = "Stra\xDF" "e";
  std::string stored = EncodeStoredPassword(password);
  EXPECT_EQ(stored, "\xD5" "86a1a7b40ab0");
  EXPECT_TRUE(platform::ProfileFile::CanHoldValue(stored));
  EXPECT_EQ(DecodeStoredPassword(stored), password);
  EXPECT_EQ(EncodeStoredPassword(Bytes({0x00, 'a'})), "\xD5" "d5b4");
  // A password starting with NUL whose rest scrambles to hexadecimal digits
  // would otherwise be read back as an escaped one.
  std::string lookalike = std::string(1, '\0') + ScramblePassword(std::string("beef"));
  EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword(lookalike)), lookalike);
  // A stored value that only looks escaped is read by the plain rule.
  EXPECT_EQ(DecodeStoredPassword("\xD5" "A1"), ScramblePassword(std::string("\xD5" "A1")));
  EXPECT_EQ(DecodeStoredPassword("\xD5" "abc"), ScramblePassword(std::string("\xD5" "abc")));
  EXPECT_EQ(DecodeStoredPassword("\xD5"), std::string(1, '\0'));
}

TEST(StoredPasswordTest, EverySingleByteSurvivesTheSettingsFile) {
  SettingsFile file;
  for (int c = 0; c < 256; ++c) {
    std::string password(1, static_cast<char>(c));
    ASSERT_EQ(file.RoundTrip(password), password) << "byte " << c;
  }
}

TEST(StoredPasswordTest, RandomByteStringsSurviveTheSettingsFile) {
  SettingsFile file;
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    std::string password(random() % 200, '\0');
    for (char& c : password) c = static_cast<char>(random() & 0xFF);
    ASSERT_EQ(file.RoundTrip(password), password) << "round " << round;
  }
  // The longest password whose escaped form still fits in a value.
  std::string longest(1023, '\xDF');
  EXPECT_EQ(file.RoundTrip(longest), longest);
}

}  // namespace
