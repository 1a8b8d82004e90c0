#pragma once
// The names the program gives itself: the settings' organisation and
// application ("Orvane Software", "Vardel 2.0"), its version, the name
// shown to the desktop, and its desktop entry.

namespace vardel::ui {

// Sets them on the running application. The name shown is "Vardel 2.0",
// which the window titles end with, so that no desktop appends it again.
void setApplicationIdentity();

}  // namespace vardel::ui
