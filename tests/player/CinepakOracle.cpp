#include "tests/player/CinepakOracle.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kFrameHeaderBytes = 10;
constexpr size_t kStripHeaderBytes = 12;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

CinepakOracle::CinepakOracle(int width, int height) : width_(width), height_(height) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_CINEPAK);
    if (!codec) throw std::runtime_error("FFmpeg has no Cinepak decoder");
    decoder_.reset(avcodec_alloc_context3(codec));
    picture_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!decoder_ || !picture_ || !packet_) throw std::bad_alloc();
    decoder_->width = width;
    decoder_->height = height;
    decoder_->bits_per_coded_sample = 24;  // RGB24 output, not the palette mode
    if (avcodec_open2(decoder_.get(), codec, nullptr) < 0) throw std::runtime_error("Cinepak decoder refused to open");
}

// Frame header: flags, 24-bit frame length, width, height, one strip. The length must be
// exact, or FFmpeg takes the stream for Sega FILM and skips bytes from then on.
// Strip header: id (0x1000 / 0x1100, which FFmpeg reads as 0x10 / 0x11), strip size, then
// the rectangle (0, 0)-(height, width).
std::vector<uint8_t> CinepakOracle::RebuildFrame(const FrameRecord& record) const {
    const uint32_t stripBytes = uint32_t(kStripHeaderBytes + record.chunks.size());
    std::vector<uint8_t> frame;
    frame.push_back(record.stripId == 0x1000 ? 0x00 : 0x01);
    PutBigEndian(frame, uint32_t(kFrameHeaderBytes + stripBytes), 3);
    PutBigEndian(frame, uint32_t(width_), 2);
    PutBigEndian(frame, uint32_t(height_), 2);
    PutBigEndian(frame, 1, 2);
    PutBigEndian(frame, record.stripId, 2);
    PutBigEndian(frame, stripBytes, 2);
    for (uint32_t field : {0u, 0u, uint32_t(height_), uint32_t(width_)}) PutBigEndian(frame, field, 2);
    frame.insert(frame.end(), record.chunks.begin(), record.chunks.end());
    return frame;
}

std::vector<uint8_t> CinepakOracle::Decode(const FrameRecord& record) {
    const std::vector<uint8_t> frame = RebuildFrame(record);
    av_packet_unref(packet_.get());
    if (av_new_packet(packet_.get(), int(frame.size())) < 0) throw std::bad_alloc();
    std::memcpy(packet_->data, frame.data(), frame.size());
    if (avcodec_send_packet(decoder_.get(), packet_.get()) < 0 ||
        avcodec_receive_frame(decoder_.get(), picture_.get()) < 0)
        throw std::runtime_error("FFmpeg's Cinepak decoder rejected a record");
    if (picture_->format != AV_PIX_FMT_RGB24) throw std::runtime_error("the Cinepak decoder gave no RGB24 picture");
    std::vector<uint8_t> rgb(size_t(width_) * height_ * 3);
    for (int y = 0; y < height_; ++y)
        std::memcpy(&rgb[size_t(y) * width_ * 3], picture_->data[0] + ptrdiff_t(y) * picture_->linesize[0],
                    size_t(width_) * 3);
    return rgb;
}
