#include "app/POP3Unit1.h"

#include "platform/core/DataFolder.h"

namespace app {

using platform::Button;
using platform::CheckBox;
using platform::Edit;
using platform::Label;

namespace {

constexpr int kDesignClientWidth = 631;
constexpr int kDesignClientHeight = 452;
constexpr int kListRowHeight = 21;

// An auto-sized label at left, top.
std::unique_ptr<Label> MakeLabel(platform::Container& parent, const std::string& caption, int left, int top) {
  auto label = std::make_unique<Label>(parent, caption);
  label->SetBounds(left, top, 0, 0);
  return label;
}

std::unique_ptr<Edit> MakeEdit(platform::Container& parent, int left, int top, int width, int tabOrder,
                               const std::string& hint) {
  auto edit = std::make_unique<Edit>(parent);
  edit->SetBounds(left, top, width, 21);
  edit->SetTabOrder(tabOrder);
  edit->SetHint(hint);
  return edit;
}

std::unique_ptr<CheckBox> MakeTickBox(platform::Container& parent, int left, int tabOrder, const std::string& hint) {
  auto box = std::make_unique<CheckBox>(parent);
  box->SetBounds(left, 25, 15, 17);
  box->SetTabOrder(tabOrder);
  box->SetHint(hint);
  return box;
}

std::unique_ptr<Button> MakeButton(platform::Container& parent, const std::string& caption, int left,
                                   int tabOrder) {
  auto button = std::make_unique<Button>(parent, caption);
  button->SetBounds(left, 416, 180, 25);
  button->SetTabOrder(tabOrder);
  return button;
}

// The panel's sunken border and a little room inside its edge.
constexpr int kPanelBorder = 6;

// The fonts of this system are wider than the design's, so a caption at
// the panel's right edge would run into its border: such a label moves
// left until it fits.
void KeepInsidePanel(Label& label, int panelWidth) {
  const platform::Rect design = label.DesignBounds();
  const int width = label.Bounds().Width;
  const int room = panelWidth - kPanelBorder - design.Left;
  if (width > room) label.SetBounds(design.Left - (width - room), design.Top, 0, 0);
}

void CreateMainWindow(TForm1& f) {
  f.Window = std::make_unique<platform::MainWindow>(kDesignClientWidth, kDesignClientHeight);
  f.Window->SetCaption(kWindowCaption);
}

void CreatePanelEdits(TForm1& f) {
  f.IPedit = MakeEdit(*f.Panel1, 13, 23, 100, 0, "pop.example.com -or- nnn.nnn.nnn.nnn etc.");
  f.UserEdit = MakeEdit(*f.Panel1, 133, 23, 100, 1, "POP3 Account");
  f.PasswordEdit = MakeEdit(*f.Panel1, 253, 23, 100, 2, "POP3 Password");
  f.PasswordEdit->SetPasswordEcho(true);
}

void CreatePanelTickBoxes(TForm1& f) {
  f.CheckBox1 = MakeTickBox(*f.Panel1, 373, 3, "Save Password");
  f.CheckBox2 = MakeTickBox(*f.Panel1, 425, 4, "Auto-Check Every 5 Minutes");
  f.CheckBox4 = MakeTickBox(*f.Panel1, 477, 6, "Continuos Auto-Checking Even After Match Found");
  f.CheckBox3 = MakeTickBox(*f.Panel1, 529, 5, "Play Wave File");
  f.CheckBox5 = MakeTickBox(*f.Panel1, 581, 7, "Analyse From: Subject: Date:");
  f.CheckBox5->SetChecked(true);
}

void CreateTopPanel(TForm1& f) {
  f.Panel1 = std::make_unique<platform::Panel>(*f.Window);
  f.Panel1->SetBounds(8, 6, 616, 57);
  f.Panel1->SetTabOrder(0);
  f.IPlabel = MakeLabel(*f.Panel1, "Server IP:", 12, 5);
  f.UserLabel = MakeLabel(*f.Panel1, "User Name:", 132, 5);
  f.PasswordLabel = MakeLabel(*f.Panel1, "Password:", 253, 5);
  f.Label6 = MakeLabel(*f.Panel1, "Save", 365, 5);
  f.Label7 = MakeLabel(*f.Panel1, "Auto-Check", 424, 5);
  f.Label9 = MakeLabel(*f.Panel1, "Sound", 516, 5);
  f.Label8 = MakeLabel(*f.Panel1, "Analyse", 565, 5);
  KeepInsidePanel(*f.Label8, 616);
  CreatePanelEdits(f);
  CreatePanelTickBoxes(f);
}

void CreateListCaptions(TForm1& f) {
  f.Label5 = MakeLabel(*f.Window, "", 279, 64);
  f.Label5->SetColor(platform::kColorMagenta);
  f.Label5->SetAlignment(platform::TextAlignment::Center);
  f.Label5->Hide();
  f.Label1 = MakeLabel(*f.Window, "From:", 24, 79);
  f.Label1->SetHint("Click To Edit FROM: Auto-Check");
  f.Label2 = MakeLabel(*f.Window, "Subject:", 234, 79);
  f.Label2->SetHint("Click To Edit SUBJECT: Auto-Check");
  f.Label3 = MakeLabel(*f.Window, "Date:", 463, 79);
  f.Label3->SetHint("Click To Clear Grid");
  f.Label4 = MakeLabel(*f.Window, "Size:", 562, 79);
  f.Label4->SetHint("Click To Edit SIZE: Auto-Check");
  f.Edit1 = MakeEdit(*f.Window, 60, 71, 154, 3, "");
  f.Edit2 = MakeEdit(*f.Window, 287, 71, 160, 5, "");
  f.Edit3 = MakeEdit(*f.Window, 593, 71, 30, 8, "");
  for (Edit* rule : {f.Edit1.get(), f.Edit2.get(), f.Edit3.get()}) rule->Hide();
}

void CreateListArea(TForm1& f) {
  f.StringGrid1 = std::make_unique<platform::MessageGrid>(*f.Window, std::vector<int>{17, 209, 228, 100, 65, 133},
                                                        kListRowHeight);
  f.StringGrid1->SetBounds(8, 96, 615, 305);
  f.StringGrid1->SetTabOrder(2);
  f.Memo1 = std::make_unique<platform::TextArea>(*f.Window);
  f.Memo1->SetBounds(8, 96, 615, 305);
  f.Memo1->SetTabOrder(1);
  f.Memo1->Hide();
}

void CreateButtons(TForm1& f) {
  f.CheckButton = MakeButton(*f.Window, "Check Mail Headers", 8, 4);
  f.DeleteButton = MakeButton(*f.Window, "Delete Selected Mail", 226, 6);
  f.ExitButton = MakeButton(*f.Window, "Exit", 444, 7);
}

void CreateComponents(TForm1& f) {
  f.Timer1 = std::make_unique<platform::WindowTimer>(kDesignTimerIntervalMs, true);
  f.SaveDialog1.Filter = "Text|*.txt";
  f.SaveDialog1.DefaultExt = "txt";
  f.SaveDialog1.InitialDir = platform::DataFolder();
  f.SaveDialog1.OverwritePrompt = true;
  f.WavePlayer1 = std::make_unique<platform::WavePlayer>();
  f.TrayIcon1 = std::make_unique<platform::TrayIcon>();
  f.TrayIcon1->SetHint(kTrayHint);
  f.TrayIcon1->SetAnimationInterval(150);
  f.TrayIcon1->AddMenuItem("Restore", [&f] { f.Restore1Click(); });
  f.Notifier1 = std::make_unique<platform::DesktopNotifier>();
}

}  // namespace

void BuildWindow(TForm1& form) {
  CreateMainWindow(form);
  CreateTopPanel(form);
  CreateListCaptions(form);
  CreateListArea(form);
  CreateButtons(form);
  CreateComponents(form);
}

}  // namespace app
