#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"

namespace apptest {

namespace {

namespace access = platform::test_access;

// WCAG 2's contrast ratio of two sRGB colours (0xRRGGBB), computed here
// from the formula rather than taken from the program.
double Luminance(unsigned rgb) {
  auto linear = [](unsigned channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear((rgb >> 16) & 0xFF) + 0.7152 * linear((rgb >> 8) & 0xFF) + 0.0722 * linear(rgb & 0xFF);
}

double ContrastRatio(unsigned a, unsigned b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class Contrast : public FormTest {
 protected:
  void TearDown() override {
    access::UseDarkPalette(false);
    FormTest::TearDown();
  }

  // Every caption of the window, with the colours the program gives them
  // (a rule's red, the status line's magenta).
  std::vector<platform::Label*> Captions() {
    app::TForm1& f = Form();
    f.Label1->SetColor(platform::kColorRed);
    f.Label5->SetText("Connecting ...");
    f.Label5->Show();
    return {f.IPlabel.get(), f.UserLabel.get(), f.PasswordLabel.get(), f.Label6.get(), f.Label7.get(),
            f.Label8.get(),  f.Label9.get(),    f.Label1.get(),        f.Label2.get(), f.Label3.get(),
            f.Label4.get(),  f.Label5.get()};
  }

  void ExpectReadable(const char* state) {
    for (platform::Label* caption : Captions()) {
      const unsigned text = access::ShownTextColor(*caption);
      const unsigned background = access::ShownBackgroundColor(*caption);
      EXPECT_GE(ContrastRatio(text, background), 4.5)
          << state << " \"" << caption->Text() << "\": " << std::hex << text << " on " << background;
    }
  }
};

TEST_F(Contrast, CaptionsAreReadableOnADarkPalette) {
  access::UseDarkPalette(true);
  ASSERT_LT(Luminance(access::ShownBackgroundColor(*Form().Label1)), 0.1) << "the palette is not dark";
  ExpectReadable("enabled");
  Form().SetControlsEnabled(false);
  ExpectReadable("disabled");
  Form().SetControlsEnabled(true);
  // The red rule caption stays red: only lightened.
  const unsigned red = access::ShownTextColor(*Form().Label1);
  EXPECT_GT(red >> 16, (red >> 8) & 0xFF);
  EXPECT_EQ((red >> 8) & 0xFF, red & 0xFF);
}

TEST_F(Contrast, CaptionsAreReadableOnTheStylesPalette) {
  ExpectReadable("enabled");
}

}  // namespace

}  // namespace apptest
