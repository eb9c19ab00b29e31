#pragma once

namespace kb::layout {

// The server window as the operator knows it: positions and sizes in the
// client area, texts in Latin-1. Every toolkit's window builds from these.
struct Gadget {
  int x, y, w, h;
  const char* text;
};

constexpr char kWindowTitle[] = "Kringelbahn Server 1.2.4";
constexpr char kBoxTitle[] = "Kringelbahn Server";
constexpr char kErrorTitle[] = "Fehler";
constexpr char kNoServer[] = "Es konnte kein Server erstellt werden.";
constexpr char kNoWindow[] =
    "Es konnte kein Fenster ge\xF6"
    "ffnet werden.";
constexpr char kReallyStop[] = "Server wirklich beenden?";

constexpr int kWidth = 300;
constexpr int kNamingHeight = 49;
constexpr int kServingHeight = 141;

// Asking for the name.
constexpr Gadget kNameLabel{3, 5, 34, 17, "Name:"};
constexpr Gadget kNameField{40, 3, 257, 20, ""};
constexpr Gadget kStartButton{3, 26, 294, 20, "Server starten"};

// Serving; the start button stays and becomes the register button.
constexpr Gadget kStatusLine{3, 5, 294, 17, ""};
constexpr Gadget kAdminLabel{3, 26, 74, 20, "Adminpasswort:"};
constexpr Gadget kAdminField{80, 26, 217, 20, ""};
constexpr Gadget kPasswordBox{3, 49, 65, 20, "Passwort:"};
constexpr Gadget kPasswordField{71, 49, 226, 20, ""};
constexpr Gadget kHiddenBox{3, 72, 200, 20, "Server versteckt (Wird nicht angezeigt)"};
constexpr Gadget kRegisterButton{3, 95, 294, 20, "Server eintragen"};
constexpr Gadget kDeleteButton{3, 118, 294, 20, "Eintrag l\xF6schen"};

}  // namespace kb::layout
