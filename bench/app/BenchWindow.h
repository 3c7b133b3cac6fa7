#pragma once

#include "app/POP3Unit1.h"
#include "platform/testing/TestAccess.h"

namespace bench {

// Shows the window and types the account into it as a user would, with
// "Analyse" ticked, ready for a click on "Check Mail Headers".
inline void EnterAccount(app::TForm1& form, const char* server, const char* user, const char* password) {
  namespace access = platform::test_access;
  access::ShowWindow(*form.Window);
  access::TypeText(*form.IPedit, server);
  access::TypeText(*form.UserEdit, user);
  access::TypeText(*form.PasswordEdit, password);
  if (!form.CheckBox5->Checked()) access::Click(*form.CheckBox5);
}

}  // namespace bench
