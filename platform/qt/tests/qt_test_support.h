#pragma once
// Helpers of the Qt tests: an event log, and the posted notifications
// delivered as the event loop would.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "agendor/platform/qt/qt_common.h"

namespace agendor::qt::testing {

struct EventLog {
    std::vector<std::string> entries;
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    void Clear() { entries.clear(); }
};

// Delivers what is posted (focus notifications) without waiting for timers.
inline void DeliverPosted() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The widget shown in a top-level window that has the focus.
inline void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    (void)QTest::qWaitForWindowExposed(&window);
    QApplication::setActiveWindow(&window);
    DeliverPosted();
}

// A double click as the window system delivers it: press, release, a
// double-click press, release.
inline void DoubleClick(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local(at);
    const QPointF global(w->mapToGlobal(at));
    const QEvent::Type types[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease};
    for (QEvent::Type type : types) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, local, global, button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// Text is drawn smoothed, so its pixels are told by their main colour: each
// channel that is 255 in colour strong, each that is 0 weak.
inline bool LooksLike(const QColor& pixel, const QColor& colour) {
    auto near = [](int a, int b) { return b == 255 ? a >= 180 : b == 0 ? a <= 90 : std::abs(a - b) <= 40; };
    return near(pixel.red(), colour.red()) && near(pixel.green(), colour.green()) && near(pixel.blue(), colour.blue());
}

inline int CountLike(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) n += LooksLike(image.pixelColor(x, y), colour);
    return n;
}

#ifdef AGENDOR_QT_TEST_OUTPUT
// Saves a picture (QPixmap or QImage) as name.png among the test output, for
// a person to look at.
template <typename Picture>
void SaveShot(const Picture& picture, const QString& name) {
    QDir().mkpath(QStringLiteral(AGENDOR_QT_TEST_OUTPUT));
    picture.save(QStringLiteral(AGENDOR_QT_TEST_OUTPUT "/") + name + ".png");
}
#endif

} // namespace agendor::qt::testing
