// Every screen's title as the app shows it (the controller category "Custom"): a plain label,
// centred on a clear background, as the navigation item's title view, sized to its text.  The
// text lives only in that label: controllers keep no title of their own, so anything that reads
// a controller's title (the back buttons of the base screens) finds none.
#pragma once

#include <string>

class UIViewController;

// setTitle: of the category, for one controller.
void setCustomTitle(UIViewController& controller, const std::string& text);
// Makes setCustomTitle every controller's title setter (start-up does it once).
void installCustomTitles();
