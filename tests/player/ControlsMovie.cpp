#include "tests/player/ControlsMovie.h"

#include "audio/AdpcmEncoder.h"
#include "format/SeekPoints.h"
#include "tests/player/OurCinepakRecords.h"
#include "tests/player/TestPictures.h"

TestMovie MakeControlsMovie(uint32_t records, int firstPicture) {
    TestMovie movie;
    movie.frameStep = kControlsFrameStep;
    movie.width = kControlsWidth;
    movie.height = kControlsHeight;
    const uint32_t interval = seek_points::SeekInterval(movie.frameStep, seek_points::kSpacingRefreshes);
    std::vector<std::vector<uint8_t>> pictures;
    for (uint32_t i = 0; i < records; ++i)
        pictures.push_back(MovingPicture(movie.width, movie.height, firstPicture + int(i)));
    movie.records = EncodeWithOurCinepak(pictures, movie.width, movie.height, 600, interval);
    const uint32_t blocks = uint32_t((uint64_t(records) + 1) * 0x10000 / movie.frameStep);
    movie.adpcm = EncodeAudioBlock(ToneSamples(blocks), records, movie.frameStep, AdpcmCoder::Exact, interval).payload;
    return movie;
}

std::vector<uint8_t> ControlsImage(const TestMovie& movie) {
    return CartridgeImage(WriteMovieStream(movie), player_options::WithControls(seek_points::kSpacingRefreshes));
}
