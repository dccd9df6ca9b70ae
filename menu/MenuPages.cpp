#include "menu/MenuPages.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

namespace {

using menu_catalogue::kPageHeight;
using menu_catalogue::kPageWidth;

constexpr int kBarHeight = 16;  // the page number at the top
constexpr int kRowHeight = (int(kPageHeight) - kBarHeight) / kMoviesPerPage;
constexpr int kRowMargin = 2;   // between a row's edge and its highlight
constexpr int kInset = 6;       // between the highlight and what it frames
const QColor kBackground(16, 24, 56);
const QColor kText(248, 248, 248);
const QColor kDim(160, 168, 200);

QFont MenuFont(int pixels) {
    QFont font("Noto Sans CJK JP");
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

menu_catalogue::Frame RowFrame(int row) {
    const int top = kBarHeight + row * kRowHeight + kRowMargin;
    return {uint16_t(kRowMargin), uint16_t(top), uint16_t(kPageWidth - 2 * kRowMargin), uint16_t(kRowHeight - 2 * kRowMargin)};
}

void DrawBar(QPainter& painter, uint32_t page, uint32_t pageCount) {
    if (pageCount < 2) return;
    painter.setFont(MenuFont(11));
    painter.setPen(kDim);
    const QString text = QString("◀ %1 / %2 ▶").arg(page + 1).arg(pageCount);
    painter.drawText(QRect(0, 0, int(kPageWidth) - kInset, kBarHeight), Qt::AlignRight | Qt::AlignVCenter, text);
}

void DrawItem(QPainter& painter, const MenuItem& item, const menu_catalogue::Frame& frame) {
    const QRect thumbnail(frame.x + kInset, frame.y + (frame.height - kThumbnailHeight) / 2, kThumbnailWidth, kThumbnailHeight);
    if (item.thumbnail) {
        const QImage picture(item.thumbnail->rgb.data(), item.thumbnail->width, item.thumbnail->height,
                             item.thumbnail->width * 3, QImage::Format_RGB888);
        painter.drawImage(thumbnail, picture);
    } else {
        painter.fillRect(thumbnail, kDim);
    }
    const int textLeft = thumbnail.right() + 1 + kInset;
    const QRect text(textLeft, frame.y + kInset / 2, frame.x + frame.width - kInset - textLeft, frame.height - kInset);
    painter.setFont(MenuFont(14));
    painter.setPen(kText);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, QString::fromUtf8(item.title.c_str()));
}

// The page as the screen's 15-bit pixels.
void AppendScreenPixels(const QImage& page, std::vector<uint8_t>& pixels) {
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            const uchar* rgb = row + x * 3;
            const uint16_t pixel = uint16_t(rgb[0] >> 3 | (rgb[1] >> 3) << 5 | (rgb[2] >> 3) << 10);
            pixels.push_back(uint8_t(pixel & 0xFF));
            pixels.push_back(uint8_t(pixel >> 8));
        }
    }
}

}  // namespace

MenuPages DrawMenuPages(const std::vector<MenuItem>& items) {
    MenuPages pages;
    pages.pageCount = uint32_t((items.size() + kMoviesPerPage - 1) / kMoviesPerPage);
    pages.pixels.reserve(size_t(pages.pageCount) * menu_catalogue::kPageBytes);
    for (uint32_t page = 0; page < pages.pageCount; ++page) {
        QImage image(int(kPageWidth), int(kPageHeight), QImage::Format_RGB888);
        image.fill(kBackground);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            DrawBar(painter, page, pages.pageCount);
            for (int row = 0; row < kMoviesPerPage; ++row) {
                const size_t index = size_t(page) * kMoviesPerPage + size_t(row);
                if (index >= items.size()) break;
                const menu_catalogue::Frame frame = RowFrame(row);
                DrawItem(painter, items[index], frame);
                pages.places.push_back({uint16_t(page), frame});
            }
        }
        AppendScreenPixels(image, pages.pixels);
    }
    return pages;
}
