#include "app/ControlTips.h"

#include "app/ControlIds.h"

namespace {

struct ControlTip {
    int id;
    const char* text;  // UTF-8, one sentence
};

constexpr ControlTip kControlTips[] = {
    {kMovieListButton, "複数の動画を1本のROMに入れ、起動時のメニューから選んで再生できるようにします。"},
    {kBitrateEdit, "1秒あたりの動画データ量（キロバイト）で、大きいほど画質が良くなり、ROMも大きくなります。"},
    {kNoResizeRadio, "トリミングせず、縦横比を保ったまま画面に収まる大きさに縮小します。"},
    {kKeepAspectRadio, "画面の縦横比（3:2）に合わせて上下か左右を切り取り、240×160の全画面で表示します。"},
    {kIgnoreAspectRadio, "縦横比を無視して、画面全体（240×160）に引き伸ばします。"},
    {kManualSettingRadio, "トリミング、サイズ、フレームレート、プレフィルタを自分で設定します。"},
    {kFrameRateList, "元の動画から残すフレームの割合で、少ないほど1枚あたりに使えるデータ量が増えます。"},
    {kPreFilterList, "32768色（15bit）に減らす方法で、ディザリングするとグラデーションが滑らかに見えます。"},
    {kPictureButton, "いまの設定でムービーの1フレームが実機でどう見えるかを別のウィンドウに示します。"},
};

}  // namespace

void SetControlTips(const std::map<int, QWidget*>& controls) {
    for (const ControlTip& tip : kControlTips) controls.at(tip.id)->setToolTip(QString::fromUtf8(tip.text));
}
