#pragma once

namespace kb {

// Shown in the console title, the welcome line and the bottom bar.
inline constexpr char kVersionText[] = "Kringelbahn 1.2.4";
// The web site's host name as the menus show it, and the address the link opens.
inline constexpr char kSiteName[] = "kringelbahn.example.org";
inline constexpr char kSiteUrl[] = "https://kringelbahn.example.org";
// The one-line credit at the top left of the menu screens.
inline constexpr char kCreditText[] = "\xA9 Das Kringelbahn-Team";

}  // namespace kb
