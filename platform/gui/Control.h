#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct ControlCore;
class Container;

// A rectangle in pixels: left and top relative to the parent's client area.
struct Rect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Colours as 0xRRGGBB.
using Color = std::uint32_t;
inline constexpr Color kColorBlack = 0x000000;
inline constexpr Color kColorRed = 0xFF0000;
inline constexpr Color kColorMagenta = 0xFF00FF;

// Font of a control at the window's design size. Families that the system
// lacks fall back to its sans-serif face.
struct FontSpec {
  std::string Family = "MS Sans Serif";
  double PointSize = 8;
  bool Bold = false;
};

// Base of every on-screen control. Positions and sizes are given in design
// pixels (the window's design client area is 631 x 452); the window scales
// every control and its font in proportion when it is resized, so Bounds()
// reports the current, scaled rectangle.
//
// Event handlers are plain callbacks; an exception that leaves one is shown
// in the application's error box and goes no further.
class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Design rectangle. A control whose width and height are 0 sizes itself
  // to its text (labels).
  void SetBounds(int left, int top, int width, int height);
  Rect DesignBounds() const;
  Rect Bounds() const;

  void SetFont(const FontSpec& font);
  FontSpec Font() const;  // the design font, not the scaled one
  double ShownPointSize() const;

  void SetVisible(bool visible);
  bool Visible() const;  // the control's own flag, whether or not its window is shown
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  void SetEnabled(bool enabled);
  bool Enabled() const;

  // The tooltip shown while the pointer rests on the control; empty: none.
  // Assistive technology reads it as the control's description (unless
  // SetAccessibleDescription gave one), and as its name too where the
  // control names itself by its hint (a tick box without a name of its
  // own): both follow every later change of the hint.
  void SetHint(const std::string& hint);
  std::string Hint() const;

  // The name assistive technology (a screen reader) gives the control; once
  // set, it no longer follows the hint.
  void SetAccessibleName(const std::string& name);
  std::string AccessibleName() const;
  // What assistive technology reads after the name; once set, it no longer
  // follows the hint.
  void SetAccessibleDescription(const std::string& description);
  std::string AccessibleDescription() const;

  // Paints the control now rather than at the next pass of the event loop.
  void Repaint();

  void SetFocus();
  bool Focused() const;

  // Position in the keyboard focus chain among the parent's controls; a
  // container takes its children's places at its own position.
  void SetTabOrder(int order);
  int TabOrder() const;

  // Keyboard focus arrives / leaves.
  std::function<void()> OnEnter;
  std::function<void()> OnExit;

  ControlCore& Core() { return *core_; }
  const ControlCore& Core() const { return *core_; }

 protected:
  // Takes the toolkit side of the control and places it in parent (none for
  // the window itself).
  Control(std::unique_ptr<ControlCore> core, Container* parent);

 private:
  std::unique_ptr<ControlCore> core_;
};

// A control that holds other controls.
class Container : public Control {
 protected:
  using Control::Control;
};

}  // namespace platform
