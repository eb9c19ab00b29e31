#pragma once

namespace kb {

// The web site's host name as the menus show it, and the address the link opens.
inline constexpr char kSiteName[] = "kb.example.org";
inline constexpr char kSiteUrl[] = "https://kb.example.org";
// The one-line credit at the top left of the menu screens.
inline constexpr char kCreditText[] = "\xA9 Das Kringelbahn-Team";

}  // namespace kb
