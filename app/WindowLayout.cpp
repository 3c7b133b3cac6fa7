#include "app/POP3Unit1.h"

#include "platform/core/DataFolder.h"
#include "platform/core/Translate.h"

namespace app {

using platform::Button;
using platform::CheckBox;
using platform::Edit;
using platform::Label;
using platform::Tr;

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

// An edit named, for assistive technology, by its caption label.
std::unique_ptr<Edit> MakeEdit(platform::Container& parent, int left, int top, int width, int tabOrder,
                               const std::string& hint, const std::string& name) {
  auto edit = std::make_unique<Edit>(parent);
  edit->SetBounds(left, top, width, 21);
  edit->SetTabOrder(tabOrder);
  edit->SetHint(hint);
  edit->SetAccessibleName(name);
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

// A caption that is also a command (a click on it acts): the keyboard
// reaches it in the tab order and clicks it.
void MakeClickable(Label& label, int tabOrder) {
  label.SetKeyboardClickable(true);
  label.SetTabOrder(tabOrder);
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

// The tab order runs through the panel as it reads, left to right, each
// clickable caption just before the controls under it.
void CreatePanelEdits(TForm1& f) {
  f.IPedit = MakeEdit(*f.Panel1, 13, 23, 100, 1, Tr("Window", "pop.example.com -or- nnn.nnn.nnn.nnn etc."),
                      Tr("Window", "Server IP"));
  f.UserEdit = MakeEdit(*f.Panel1, 133, 23, 100, 2, Tr("Window", "POP3 Account"), Tr("Window", "User Name"));
  f.PasswordEdit = MakeEdit(*f.Panel1, 253, 23, 100, 3, Tr("Window", "POP3 Password"), Tr("Window", "Password"));
  f.PasswordEdit->SetPasswordEcho(true);
}

// The tick boxes are named by their hints (they have no caption of their
// own; the labels above name groups of them).
void CreatePanelTickBoxes(TForm1& f) {
  f.CheckBox1 = MakeTickBox(*f.Panel1, 373, 4, Tr("Window", "Save Password"));
  f.CheckBox2 = MakeTickBox(*f.Panel1, 425, 6, Tr("Window", "Auto-Check Every 5 Minutes"));
  f.CheckBox4 = MakeTickBox(*f.Panel1, 477, 7, Tr("Window", "Continuos Auto-Checking Even After Match Found"));
  f.CheckBox3 = MakeTickBox(*f.Panel1, 529, 8, Tr("Window", "Play Wave File"));
  f.CheckBox5 = MakeTickBox(*f.Panel1, 581, 10, Tr("Window", "Analyse From: Subject: Date:"));
  f.CheckBox5->SetChecked(true);
}

void RelatePanelCaptions(TForm1& f) {
  f.IPlabel->SetBuddy(*f.IPedit);
  f.UserLabel->SetBuddy(*f.UserEdit);
  f.PasswordLabel->SetBuddy(*f.PasswordEdit);
  f.Label6->SetBuddy(*f.CheckBox1);
  f.Label7->SetBuddy(*f.CheckBox2);
  f.Label9->SetBuddy(*f.CheckBox3);
  f.Label8->SetBuddy(*f.CheckBox5);
  MakeClickable(*f.IPlabel, 0);
  MakeClickable(*f.Label7, 5);
  MakeClickable(*f.Label8, 9);
}

void CreateTopPanel(TForm1& f) {
  f.Panel1 = std::make_unique<platform::Panel>(*f.Window);
  f.Panel1->SetBounds(8, 6, 616, 57);
  f.Panel1->SetTabOrder(0);
  //: The captions over the edits and tick boxes have a fixed place each and
  //: end where the next begins: keep them about as short as the English.
  f.IPlabel = MakeLabel(*f.Panel1, Tr("Window", "Server IP:"), 12, 5);
  f.UserLabel = MakeLabel(*f.Panel1, Tr("Window", "User Name:"), 132, 5);
  f.PasswordLabel = MakeLabel(*f.Panel1, Tr("Window", "Password:"), 253, 5);
  f.Label6 = MakeLabel(*f.Panel1, Tr("Window", "Save"), 365, 5);
  f.Label7 = MakeLabel(*f.Panel1, Tr("Window", "Auto-Check"), 424, 5);
  f.Label9 = MakeLabel(*f.Panel1, Tr("Window", "Sound"), 516, 5);
  f.Label8 = MakeLabel(*f.Panel1, Tr("Window", "Analyse"), 565, 5);
  KeepInsidePanel(*f.Label8, 616);
  CreatePanelEdits(f);
  CreatePanelTickBoxes(f);
  RelatePanelCaptions(f);
}

void CreateListCaptions(TForm1& f) {
  f.Label5 = MakeLabel(*f.Window, "", 279, 64);
  f.Label5->SetColor(platform::kColorMagenta);
  f.Label5->SetAlignment(platform::TextAlignment::Center);
  f.Label5->Hide();
  f.Label1 = MakeLabel(*f.Window, Tr("Window", "From:"), 24, 79);
  f.Label1->SetHint(Tr("Window", "Click To Edit FROM: Auto-Check"));
  f.Label2 = MakeLabel(*f.Window, Tr("Window", "Subject:"), 234, 79);
  f.Label2->SetHint(Tr("Window", "Click To Edit SUBJECT: Auto-Check"));
  f.Label3 = MakeLabel(*f.Window, Tr("Window", "Date:"), 463, 79);
  f.Label3->SetHint(Tr("Window", "Click To Clear Grid"));
  //: The size rule's edit opens 31 pixels to the right: no wider than "Size:".
  f.Label4 = MakeLabel(*f.Window, Tr("Window", "Size:"), 562, 79);
  f.Label4->SetHint(Tr("Window", "Click To Edit SIZE: Auto-Check"));
  // Each rule edit follows the caption that shows it, in the tab order
  // too, so that Tab goes from the caption straight into the edit it
  // showed.
  f.Edit1 = MakeEdit(*f.Window, 60, 71, 154, 2, "", Tr("Window", "From"));
  f.Edit2 = MakeEdit(*f.Window, 287, 71, 160, 4, "", Tr("Window", "Subject"));
  f.Edit3 = MakeEdit(*f.Window, 593, 71, 30, 7, "", Tr("Window", "Size"));
  for (Edit* rule : {f.Edit1.get(), f.Edit2.get(), f.Edit3.get()}) rule->Hide();
  f.Label1->SetBuddy(*f.Edit1);
  f.Label2->SetBuddy(*f.Edit2);
  f.Label4->SetBuddy(*f.Edit3);
  MakeClickable(*f.Label1, 1);
  MakeClickable(*f.Label2, 3);
  MakeClickable(*f.Label3, 5);
  MakeClickable(*f.Label4, 6);
}

void CreateListArea(TForm1& f) {
  f.StringGrid1 = std::make_unique<platform::MessageGrid>(*f.Window, std::vector<int>{17, 209, 228, 100, 65, 133},
                                                        kListRowHeight);
  f.StringGrid1->SetBounds(8, 96, 615, 305);
  f.StringGrid1->SetTabOrder(9);
  f.StringGrid1->SetAccessibleName(Tr("Window", "Messages"));
  f.StringGrid1->SetColumnTitles(
      {"", Tr("Window", "From"), Tr("Window", "Subject"), Tr("Window", "Date"), Tr("Window", "Size"), ""});
  f.Memo1 = std::make_unique<platform::TextArea>(*f.Window);
  f.Memo1->SetBounds(8, 96, 615, 305);
  f.Memo1->SetTabOrder(8);
  f.Memo1->Hide();
  // The status line says what the viewer shows ("Header - ESC to close"):
  // assistive technology names the viewer by it.
  f.Label5->SetBuddy(*f.Memo1);
}

void CreateButtons(TForm1& f) {
  f.CheckButton = MakeButton(*f.Window, Tr("Window", "Check Mail Headers"), 8, 10);
  f.DeleteButton = MakeButton(*f.Window, Tr("Window", "Delete Selected Mail"), 226, 11);
  f.ExitButton = MakeButton(*f.Window, Tr("Window", "Exit"), 444, 12);
}

void CreateComponents(TForm1& f) {
  f.Timer1 = std::make_unique<platform::WindowTimer>(kDesignTimerIntervalMs, true);
  f.SaveDialog1.Filter = Tr("Window", "Text") + "|*.txt";
  f.SaveDialog1.DefaultExt = "txt";
  f.SaveDialog1.InitialDir = platform::DataFolder();
  f.SaveDialog1.OverwritePrompt = true;
  f.WavePlayer1 = std::make_unique<platform::WavePlayer>();
  f.TrayIcon1 = std::make_unique<platform::TrayIcon>();
  f.TrayIcon1->SetHint(kTrayHint);
  f.TrayIcon1->SetAnimationInterval(150);
  f.TrayIcon1->AddMenuItem(Tr("Window", "Restore"), [&f] { f.Restore1Click(); });
  f.Notifier1 = std::make_unique<platform::DesktopNotifier>();
}

}  // namespace

// The tab order follows the layout: the panel, the captions over the list
// with their rule edits, the list (or the viewer in its place), the
// buttons.
void BuildWindow(TForm1& form) {
  CreateMainWindow(form);
  CreateTopPanel(form);
  CreateListCaptions(form);
  CreateListArea(form);
  CreateButtons(form);
  CreateComponents(form);
  // The window opens with the server edit in focus, not the caption that
  // the tab order puts before it.
  form.IPedit->SetFocus();
}

}  // namespace app
