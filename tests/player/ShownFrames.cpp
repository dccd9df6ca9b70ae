#include "tests/player/ShownFrames.h"

#include <set>

#include "tests/player/CinepakOracle.h"
#include "tests/player/PlayerRun.h"

ShownFramesCheck CheckShownFrames(std::span<const uint8_t> image, const std::vector<FrameRecord>& records, int width,
                                  int height) {
    CinepakOracle oracle(width, height);
    std::vector<std::vector<uint16_t>> expected;
    for (const FrameRecord& record : records) expected.push_back(ExpectedScreen(oracle.Decode(record), width, height));

    ShownFramesCheck check;
    PlayerRun run(image);
    check.started = run.Started() && run.RunUntilPass(1);
    if (!check.started) return check;
    std::set<uint32_t> shown;
    // Until the pass ends; the cap stands for a rate of one frame a second.
    for (uint32_t refresh = 0; refresh < 64 * records.size() + 60; ++refresh) {
        const player_layout::PlayerStatus status = run.Refresh();
        if (status.passCount != 1) break;
        if (status.shownRecord == player_layout::kNoRecord) continue;
        if (status.shownRecord >= expected.size()) {
            check.differences.push_back("record index " + std::to_string(status.shownRecord) + " beyond the stream");
            break;
        }
        const std::string difference = ScreenDifference(run.core().ScreenBgr555(), expected[status.shownRecord]);
        if (!difference.empty())
            check.differences.push_back("record " + std::to_string(status.shownRecord) + " at pass refresh " +
                                        std::to_string(status.refreshCount) + ": " + difference);
        shown.insert(status.shownRecord);
    }
    check.recordsShown = shown.size();
    check.crashed = run.core().Crashed();
    return check;
}

std::vector<FrameRecord> RecordsOf(std::span<const uint8_t> image, size_t streamOffset, const MovieStreamInfo& info) {
    std::vector<FrameRecord> records;
    for (const MovieStreamRecord& record : info.records) {
        const auto data = image.subspan(streamOffset + record.offset + 4, record.length - 4u);
        records.push_back({record.stripId, {data.begin(), data.end()}});
    }
    return records;
}
