#pragma once
// The settings of kavro-cli convert (and plan): the movie and the output (or several movies
// for a menu image, with -o, --title and --playlist), an option for every
// setting whose row names one, and the options kavro-cli spells itself, --trim L,T,R,B,
// --size WxH|auto and --fit SIZE. Every value goes through the settings model (job/ConversionSettings.h), so
// the command line and the dialog accept the same values, except where a row gives the
// command line a wider range (and its help says so).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/ConversionRequest.h"
#include "menu/MenuPreparation.h"

namespace CLI {
class App;
}

class ConvertOptions {
public:
    // Adds the operands (the output only when the command writes one) and the options to the
    // command, which keeps references to this object's members: it stays where it is.
    explicit ConvertOptions(CLI::App& command, bool writesOutput = true);
    ConvertOptions(const ConvertOptions&) = delete;
    ConvertOptions& operator=(const ConvertOptions&) = delete;

    // Fills the request from what the command line gave, in the order the dialog would: the
    // picture preset, then the values given for what it fixes. The message of the first value
    // at fault (naming its option), none when all are sound.
    std::optional<std::string> BuildRequest(ConversionRequest& request) const;

    // The movies of a menu image, in order (none for a one-movie image: MOVIE OUTPUT, or one
    // movie with -o): those named on the command line, then the playlist's; each with its
    // --title, its playlist title and thumbnail time. The message of a fault, none when sound.
    std::optional<std::string> MenuChoices(std::vector<MenuChoice>& choices) const;

private:
    bool Given(std::string_view setting) const;
    // The movies and the output, from the operands, -o and the playlist.
    std::optional<std::string> Operands(std::vector<MenuChoice>& movies, std::string& outputPath) const;

    bool writesOutput;
    std::vector<std::string> operands;  // MOVIE OUTPUT, or the movies with -o
    std::string movie;                  // plan's one movie
    std::string output;                 // -o
    std::vector<std::string> titles;
    std::optional<std::string> playlist;
    std::map<std::string_view, std::optional<std::string>> given;  // by setting name
    std::optional<std::string> trims;
    std::optional<std::string> size;
    std::optional<std::string> fit;
};
