// The pictures of ImageList1, drawn with QPainter on a 16 x 16 transparent
// pixmap: 1 delete, 2 add, 3 week sheet, 4 month sheet, 5 back, 6 forward,
// 7 print, 8 save.
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "agendor/platform/qt/qt_widgets.h"

namespace agendor::qt {

namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kHeader(0x2F, 0x5F, 0xA8);
const QColor kRed(0xC8, 0x1E, 0x1E);
const QColor kGreen(0x1E, 0x8C, 0x32);
const QColor kTeal(0x00, 0x80, 0x80);

// A calendar leaf: a coloured top strip and a white page with a frame.
void DrawLeaf(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.fillRect(QRectF(2, 3, 12, 3), kHeader);
}

void DrawDelete(QPainter& p) {
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

void DrawAdd(QPainter& p) {
    p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
    p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
}

void DrawWeek(QPainter& p) {
    DrawLeaf(p);
    // One row of seven days.
    p.setPen(Qt::NoPen);
    for (int d = 0; d < 6; ++d) p.fillRect(QRectF(3 + d * 2, 9, 1, 3), d >= 4 ? kRed : kInk);
}

void DrawMonth(QPainter& p) {
    DrawLeaf(p);
    // Rows of days.
    for (int r = 0; r < 3; ++r)
        for (int d = 0; d < 5; ++d) p.fillRect(QRectF(3 + d * 2.2, 7.5 + r * 2.2, 1.2, 1.2), d >= 4 ? kRed : kInk);
}

void DrawArrow(QPainter& p, bool forward) {
    QPainterPath path;
    if (forward) {
        path.moveTo(13.5, 8);
        path.lineTo(7.5, 2.5);
        path.lineTo(7.5, 5.5);
        path.lineTo(2.5, 5.5);
        path.lineTo(2.5, 10.5);
        path.lineTo(7.5, 10.5);
        path.lineTo(7.5, 13.5);
    } else {
        path.moveTo(2.5, 8);
        path.lineTo(8.5, 2.5);
        path.lineTo(8.5, 5.5);
        path.lineTo(13.5, 5.5);
        path.lineTo(13.5, 10.5);
        path.lineTo(8.5, 10.5);
        path.lineTo(8.5, 13.5);
    }
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kTeal);
    p.drawPath(path);
}

void DrawPrint(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    // Sheet coming out at the top, body, paper tray in front.
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(QRectF(1.5, 6.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 10.5, 9, 4));
    p.fillRect(QRectF(12, 8, 1.5, 1.5), kGreen);
    p.setPen(QPen(kInk, 0.8));
    p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
}

void DrawSave(QPainter& p) {
    // A disk: body, label and shutter.
    p.setPen(QPen(kInk, 1));
    p.setBrush(kHeader);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(0xD0, 0xD0, 0xD0));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(9, 2.5, 2, 4), kHeader);
}

} // namespace

QIcon ToolbarImage(int image) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (image) {
    case 1: DrawDelete(p); break;
    case 2: DrawAdd(p); break;
    case 3: DrawWeek(p); break;
    case 4: DrawMonth(p); break;
    case 5: DrawArrow(p, false); break;
    case 6: DrawArrow(p, true); break;
    case 7: DrawPrint(p); break;
    case 8: DrawSave(p); break;
    default: break;
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace agendor::qt
