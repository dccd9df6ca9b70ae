#pragma once
// The menu of an image with several movies (format/MenuCatalogue.h): the page that holds the
// highlighted movie, copied to the screen as the host drew it, with the highlight framed on
// it. Up and down move the highlight (onto the next page at a page's end), left and right turn
// the pages, A or START plays the movie; when it returns, the next movie is highlighted.
#include "format/PlayerOptions.h"

// Runs the menu of the catalogue the options block names; a catalogue this player cannot read
// shows nothing.
[[noreturn]] void RunMenu(const player_options::PlayerOptions& options);
