#pragma once
// The marker picture boxes over Qt. The array keeps every element the
// control loads (placement in twips, visibility, Tag, stacking), but the
// elements are no widgets of their own: the markers of a full day lie
// exactly on top of each other, a busy month loads thousands of them on a
// few dozen spots, and a widget per element made every sheet build slow.
// One QtMarker widget shows all elements that lie on one spot; a click on
// it is the click of the frontmost element shown there. The widgets are
// kept and reused from one sheet to the next.
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/widgets.h"

namespace agendor::qt {

// The 14 x 13 pixel arrow, scaled to the widget's size.
class QtMarker final : public QWidget {
public:
    QtMarker(QWidget* parent, std::function<void(QtMarker&)> click);
    // The arrow at 1:1, 14 x 13 pixels.
    static QImage ArrowImage();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    std::function<void(QtMarker&)> click_;
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
    Widget& Element(int index) override;
    std::string Tag(int index) const override;
    void SetTag(int index, const std::string& tag) override;

    bool IsLoaded(int index) const;
    int LoadedCount() const;
    // The widget that shows element index, nullptr while it is hidden.
    QtMarker* ShownOn(int index) const;
    // The elements a widget shows, back to front; the last one takes its
    // clicks. Empty for a widget of no spot.
    std::vector<int> ElementsOn(const QtMarker* widget) const;
    // How many marker widgets exist, shown or kept for later.
    int WidgetCount() const { return static_cast<int>(widgets_.size()); }

private:
    class Item;
    friend class Item;
    // A spot is a pixel rectangle of the parent: x, y, width, height.
    using SpotKey = std::tuple<int, int, int, int>;
    struct Spot {
        QtMarker* widget = nullptr;
        std::vector<int> members;  // back to front
        int shown = 0;             // members that are visible
        std::uint64_t raisedAt = 0;  // the stacking count when the widget was last raised
    };

    Item& At(int index) const;
    SpotKey KeyOf(const Item& e) const;
    // Puts an element on the spot of its placement (it is then drawn and
    // stacked there) or takes it off.
    void Attach(Item& e);
    void Detach(Item& e);
    void Moved(Item& e);
    void ShownChanged(Item& e);
    void Raise(Item& e);
    void Shown(Spot& spot, const Item& e);
    void RaiseSpot(Spot& spot);
    void Clicked(const QtMarker* widget);
    QtMarker* TakeWidget(const QRect& rect);

    QWidget* parent_;
    std::vector<std::unique_ptr<Item>> elements_;  // by index; empty where not loaded
    std::vector<std::unique_ptr<Item>> spare_;
    std::map<SpotKey, Spot> spots_;
    std::vector<QPointer<QtMarker>> widgets_;
    std::vector<QtMarker*> idle_;
    std::uint64_t stacking_ = 0;
};

} // namespace agendor::qt
