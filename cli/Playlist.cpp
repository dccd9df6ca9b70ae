#include "cli/Playlist.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>

#include "job/MovieTime.h"
#include "job/TextFields.h"

std::optional<std::string> ReadPlaylist(const std::string& path, std::vector<MenuChoice>& movies) {
    std::ifstream file(path);
    if (!file) return fmt::format("{} cannot be read", path);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        const std::vector<std::string_view> fields = SplitFields(line, '\t');
        if (fields.size() > 3 || fields[0].empty())
            return fmt::format("line {}: PATH, then optionally a tab, the title, a tab and the thumbnail's time", number);
        MenuChoice choice{(folder / fields[0]).string(), std::string(fields.size() > 1 ? fields[1] : ""), std::nullopt};
        if (fields.size() == 3) {
            choice.thumbnailUs = ParseMovieTime(fields[2]);
            if (!choice.thumbnailUs) return fmt::format("line {}: \"{}\" is no time", number, fields[2]);
        }
        movies.push_back(std::move(choice));
    }
    return std::nullopt;
}
