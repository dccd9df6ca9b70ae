#pragma once
// A playlist file for a menu image: one movie a line, "PATH", "PATH<tab>TITLE" or
// "PATH<tab>TITLE<tab>TIME" (the thumbnail's time, seconds or h:mm:ss.fff; an empty title keeps
// the file's name). Empty lines and lines that start with # are skipped; a relative path is
// taken from the playlist's own folder.
#include <optional>
#include <string>
#include <vector>

#include "menu/MenuPreparation.h"

// Appends the playlist's movies; the message of the first fault (with its line), none when sound.
std::optional<std::string> ReadPlaylist(const std::string& path, std::vector<MenuChoice>& movies);
