#pragma once
// The marker picture boxes over Qt: the template and the elements loaded
// from it at run time.
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/widgets.h"

namespace agendor::qt {

// One marker picture box: the 14 x 13 pixel arrow, scaled to its size.
class QtMarker final : public QWidget, public Placed<Widget> {
public:
    QtMarker(QWidget* parent, std::function<void()> click);
    // The arrow at 1:1, 14 x 13 pixels.
    static QImage ArrowImage();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    std::function<void()> click_;
    bool pressed_ = false;
};

class QtMarkerArray final : public MarkerArray {
public:
    // The template is element 0, placed in parent and never shown.
    QtMarkerArray(QWidget* parent, Twips left, Twips top, Twips width, Twips height);
    ~QtMarkerArray() override;
    int Count() const override;
    void Load(int index) override;
    void Unload(int index) override;
    Widget& Element(int index) override { return Marker(index); }
    std::string Tag(int index) const override;
    void SetTag(int index, const std::string& tag) override;

    QtMarker& Marker(int index) const;
    bool IsLoaded(int index) const;
    int LoadedCount() const { return static_cast<int>(elements_.size()) - 1; }

private:
    struct Loaded {
        QPointer<QtMarker> widget;
        std::string tag;
    };
    QWidget* parent_;
    std::map<int, Loaded> elements_;
};

} // namespace agendor::qt
