#include "menu/MenuPreparation.h"

#include <fmt/format.h>

#include <filesystem>

#include "menu/MenuPages.h"
#include "platform/FileIdentity.h"
#include "source/MovieFacts.h"

namespace {

std::string TitleOf(const MenuChoice& choice) {
    if (!choice.title.empty()) return choice.title;
    return std::filesystem::path(choice.moviePath).stem().string();
}

// Where the thumbnail is taken: the time given, else a tenth into the movie's length.
std::optional<int64_t> ThumbnailTime(const MenuChoice& choice, std::string& error) {
    if (choice.thumbnailUs) return choice.thumbnailUs;
    MovieFacts facts;
    if (!ReadMovieFacts(choice.moviePath, nullptr, facts, error)) return std::nullopt;
    return int64_t(double(facts.timing.durationUs) * kThumbnailShare);
}

}  // namespace

std::optional<std::string> CheckMenuChoices(const std::vector<MenuChoice>& choices, const std::string& outputPath,
                                            SettingSource source) {
    if (choices.size() > menu_catalogue::kMaxMovies)
        return fmt::format("a menu holds at most {} movies, not {}", menu_catalogue::kMaxMovies, choices.size());
    for (const MenuChoice& choice : choices) {
        if (!std::filesystem::is_regular_file(choice.moviePath))
            return fmt::format("{}: the movies of a menu are read more than once and must be files", choice.moviePath);
        if (IsSameFile(choice.moviePath, std::filesystem::absolute(outputPath).string()))
            return fmt::format("{} is one of the movies; the image needs a file of its own", outputPath);
        ConversionRequest check;
        if (auto fault = StoreSetting(SettingNamed("moviePath"), choice.moviePath, check, source))
            return fmt::format("{}: {}", choice.moviePath, *fault);
    }
    return std::nullopt;
}

bool PrepareMenu(const std::vector<MenuChoice>& choices, MenuRequest& request, std::string& error) {
    std::vector<MenuItem> items;
    request.movies.clear();
    for (const MenuChoice& choice : choices) {
        std::string why;
        const std::optional<int64_t> time = ThumbnailTime(choice, why);
        std::optional<Picture> thumbnail;
        if (time) thumbnail = PictureAt(choice.moviePath, *time, kThumbnailWidth, kThumbnailHeight, why);
        if (!thumbnail) {
            error = fmt::format("{}: {}", choice.moviePath, why);
            return false;
        }
        items.push_back({TitleOf(choice), std::move(thumbnail)});
        request.movies.push_back({choice.moviePath, items.back().title, uint32_t(*time / 1000), 0, {}});
    }
    MenuPages pages = DrawMenuPages(items);
    for (size_t i = 0; i < request.movies.size(); ++i) {
        request.movies[i].page = pages.places[i].page;
        request.movies[i].highlight = pages.places[i].highlight;
    }
    request.pageCount = pages.pageCount;
    request.pages = std::move(pages.pixels);
    return true;
}
