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

}  // namespace

void TForm1::CreateMainWindow() {
  Window = std::make_unique<platform::MainWindow>(kDesignClientWidth, kDesignClientHeight);
  Window->SetCaption(kWindowCaption);
}

void TForm1::CreateTopPanel() {
  Panel1 = std::make_unique<platform::Panel>(*Window);
  Panel1->SetBounds(8, 6, 616, 57);
  Panel1->SetTabOrder(0);
  IPlabel = MakeLabel(*Panel1, "Server IP:", 12, 5);
  UserLabel = MakeLabel(*Panel1, "User Name:", 132, 5);
  PasswordLabel = MakeLabel(*Panel1, "Password:", 253, 5);
  Label6 = MakeLabel(*Panel1, "Save", 365, 5);
  Label7 = MakeLabel(*Panel1, "Auto-Check", 424, 5);
  Label9 = MakeLabel(*Panel1, "Sound", 516, 5);
  Label8 = MakeLabel(*Panel1, "Analyse", 565, 5);
  KeepInsidePanel(*Label8, 616);
  CreatePanelEdits();
  CreatePanelTickBoxes();
}

void TForm1::CreatePanelEdits() {
  IPedit = MakeEdit(*Panel1, 13, 23, 100, 0, "pop.example.com -or- nnn.nnn.nnn.nnn etc.");
  UserEdit = MakeEdit(*Panel1, 133, 23, 100, 1, "POP3 Account");
  PasswordEdit = MakeEdit(*Panel1, 253, 23, 100, 2, "POP3 Password");
  PasswordEdit->SetPasswordEcho(true);
}

void TForm1::CreatePanelTickBoxes() {
  CheckBox1 = MakeTickBox(*Panel1, 373, 3, "Save Password");
  CheckBox2 = MakeTickBox(*Panel1, 425, 4, "Auto-Check Every 5 Minutes");
  CheckBox4 = MakeTickBox(*Panel1, 477, 6, "Continuos Auto-Checking Even After Match Found");
  CheckBox3 = MakeTickBox(*Panel1, 529, 5, "Play Wave File");
  CheckBox5 = MakeTickBox(*Panel1, 581, 7, "Analyse From: Subject: Date:");
  CheckBox5->SetChecked(true);
}

void TForm1::CreateListCaptions() {
  Label5 = MakeLabel(*Window, "", 279, 64);
  Label5->SetColor(platform::kColorMagenta);
  Label5->SetAlignment(platform::TextAlignment::Center);
  Label5->Hide();
  Label1 = MakeLabel(*Window, "From:", 24, 79);
  Label1->SetHint("Click To Edit FROM: Auto-Check");
  Label2 = MakeLabel(*Window, "Subject:", 234, 79);
  Label2->SetHint("Click To Edit SUBJECT: Auto-Check");
  Label3 = MakeLabel(*Window, "Date:", 463, 79);
  Label3->SetHint("Click To Clear Grid");
  Label4 = MakeLabel(*Window, "Size:", 562, 79);
  Label4->SetHint("Click To Edit SIZE: Auto-Check");
  Edit1 = MakeEdit(*Window, 60, 71, 154, 3, "");
  Edit2 = MakeEdit(*Window, 287, 71, 160, 5, "");
  Edit3 = MakeEdit(*Window, 593, 71, 30, 8, "");
  for (Edit* rule : {Edit1.get(), Edit2.get(), Edit3.get()}) rule->Hide();
}

void TForm1::CreateListArea() {
  StringGrid1 = std::make_unique<platform::MessageGrid>(*Window, std::vector<int>{17, 209, 228, 100, 65, 133},
                                                        kListRowHeight);
  StringGrid1->SetBounds(8, 96, 615, 305);
  StringGrid1->SetTabOrder(2);
  Memo1 = std::make_unique<platform::TextArea>(*Window);
  Memo1->SetBounds(8, 96, 615, 305);
  Memo1->SetTabOrder(1);
  Memo1->Hide();
}

void TForm1::CreateButtons() {
  CheckButton = MakeButton(*Window, "Check Mail Headers", 8, 4);
  DeleteButton = MakeButton(*Window, "Delete Selected Mail", 226, 6);
  ExitButton = MakeButton(*Window, "Exit", 444, 7);
}

void TForm1::CreateComponents() {
  Timer1 = std::make_unique<platform::WindowTimer>(kDesignTimerIntervalMs, true);
  SaveDialog1.Filter = "Text|*.txt";
  SaveDialog1.DefaultExt = "txt";
  SaveDialog1.InitialDir = platform::DataFolder();
  SaveDialog1.OverwritePrompt = true;
  WavePlayer1 = std::make_unique<platform::WavePlayer>();
  TrayIcon1 = std::make_unique<platform::TrayIcon>();
  TrayIcon1->SetHint("POP3 Check / Delete");
  TrayIcon1->SetAnimationInterval(150);
  TrayIcon1->AddMenuItem("Restore", [this] { Restore1Click(); });
  Notifier1 = std::make_unique<platform::DesktopNotifier>();
  Notifier1->OnActivated = [this] { Notifier1Activated(); };
  CreatePop3Client();
}

void TForm1::CreatePop3Client() {
  POP3 = std::make_unique<pop3::TPop3Client>(this);
  POP3->Port = kDefaultPop3Port;
  POP3->ReportLevel = 0;
  POP3->Parse = false;
  POP3->DeleteOnRead = false;
  POP3->SetTimeOut(kServerTimeOutMs);
}

}  // namespace app
