// The program in the browser's page, driven by the page's animation frames.
#pragma once

namespace rt {

struct Project;

// Opens the start-up form on the page and hands the run to the browser, which calls it for
// each animation frame until the program ends (and the page is told with tarvel_page_ended).
// Returns at once. Throws PlatformError when the page cannot show the form.
void BeginPageSession(const Project& project);

}  // namespace rt
