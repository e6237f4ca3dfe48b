#include "agendor/platform/qt/qt_markers.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "agendor/platform/surface.h"

namespace agendor::qt {

namespace {

constexpr const char* kNotLoaded = "Element des Steuerelementdatenfelds existiert nicht";

} // namespace

// ---------------------------------------------------------------- QtMarker

QImage QtMarker::ArrowImage() {
    QImage image(14, 13, QImage::Format_RGB32);
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 14; ++x) {
            const char p = kMarkerArrow[y][x];
            image.setPixelColor(x, y, p == 'B' ? QColor(0, 0, 0) : p == 'T' ? QColor(0, 128, 128) : QColor(255, 255, 255));
        }
    }
    return image;
}

QtMarker::QtMarker(QWidget* parent, std::function<void(QtMarker&)> click) : QWidget(parent), click_(std::move(click)) {
    setCursor(Qt::PointingHandCursor);
    setObjectName(QStringLiteral("btnVorlage"));
    // The arrow covers every pixel: nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    static const QImage arrow = ArrowImage();
    painter.drawImage(rect(), arrow);
}

void QtMarker::mousePressEvent(QMouseEvent* e) { pressed_ = e->button() == Qt::LeftButton; }

void QtMarker::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click && click_) click_(*this);
}

// ---------------------------------------------------------------- elements

// One element: what the control places, shows and stacks. Its pixels are
// the widget of its spot.
class QtMarkerArray::Item final : public Widget {
public:
    explicit Item(QtMarkerArray& array) : array_(array) {}

    Twips Left() const override { return left; }
    Twips Top() const override { return top; }
    Twips Width() const override { return width; }
    Twips Height() const override { return height; }
    void SetLeft(Twips v) override { Place(v, top, width, height); }
    void SetTop(Twips v) override { Place(left, v, width, height); }
    void SetWidth(Twips v) override {
        if (v < 0) throw Error(kInvalidPropertyValue);
        Place(left, top, v, height);
    }
    void SetHeight(Twips v) override {
        if (v < 0) throw Error(kInvalidPropertyValue);
        Place(left, top, width, v);
    }
    bool Visible() const override { return visible; }
    void SetVisible(bool v) override {
        if (v == visible) return;
        visible = v;
        array_.ShownChanged(*this);
    }
    void SetFocus() override {
        QtMarker* widget = array_.ShownOn(index);
        const QWidget* top = widget ? widget->window() : nullptr;
        if (!widget || !widget->isEnabled() || (top != widget && !widget->isVisibleTo(top))) throw Error(kInvalidCall);
        widget->setFocus(Qt::OtherFocusReason);
    }
    void ZOrder() override { array_.Raise(*this); }

    void Place(Twips l, Twips t, Twips w, Twips h) {
        left = l;
        top = t;
        width = w;
        height = h;
        array_.Moved(*this);
    }

    int index = 0;
    Twips left = 0, top = 0, width = 0, height = 0;  // twips in the parent
    bool visible = false;
    // On a spot: drawn there once visible, and stacked there.
    bool attached = false;
    SpotKey spot{};
    // Later elements lie in front, as later widgets would.
    std::uint64_t stacking = 0;
    std::string tag;

private:
    QtMarkerArray& array_;
};

// ---------------------------------------------------------------- array

QtMarkerArray::QtMarkerArray(QWidget* parent, Twips left, Twips top, Twips width, Twips height) : parent_(parent) {
    auto templ = std::make_unique<Item>(*this);
    templ->Place(left, top, width, height);
    elements_.push_back(std::move(templ));
}

QtMarkerArray::~QtMarkerArray() {
    // The parent deletes what is left when it goes first.
    for (const QPointer<QtMarker>& widget : widgets_) delete widget.data();
}

QtMarkerArray::Item& QtMarkerArray::At(int index) const {
    if (!IsLoaded(index)) throw Error(kNotLoaded);
    return *elements_[static_cast<std::size_t>(index)];
}

// Unload drops the empty slots at the end, so the last slot is loaded.
int QtMarkerArray::Count() const { return static_cast<int>(elements_.size()); }

bool QtMarkerArray::IsLoaded(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < elements_.size() &&
           elements_[static_cast<std::size_t>(index)] != nullptr;
}

int QtMarkerArray::LoadedCount() const {
    return static_cast<int>(std::count_if(elements_.begin() + 1, elements_.end(), [](const auto& e) { return e != nullptr; }));
}

Widget& QtMarkerArray::Element(int index) { return At(index); }

void QtMarkerArray::Load(int index) {
    if (index <= 0) throw Error(kInvalidCall);
    if (IsLoaded(index)) throw Error("Objekt bereits geladen");
    const Item& templ = At(0);
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= elements_.size()) elements_.resize(slot + 1);
    // A sheet build unloads thousands of elements and loads as many again:
    // the spare ones are reused.
    std::unique_ptr<Item> element;
    if (spare_.empty()) {
        element = std::make_unique<Item>(*this);
    } else {
        element = std::move(spare_.back());
        spare_.pop_back();
    }
    element->index = index;
    element->visible = false;
    element->tag.clear();
    element->left = templ.left;
    element->top = templ.top;
    element->width = templ.width;
    element->height = templ.height;
    element->stacking = ++stacking_;
    elements_[slot] = std::move(element);
}

void QtMarkerArray::Unload(int index) {
    if (index == 0) throw Error("Zur Entwurfszeit erstellte Steuerelemente können nicht entladen werden.");
    Item& e = At(index);
    // A marker may be unloaded from inside its own click: its widget is
    // only hidden and kept, never deleted here.
    if (e.attached) Detach(e);
    spare_.push_back(std::move(elements_[static_cast<std::size_t>(index)]));
    while (elements_.size() > 1 && !elements_.back()) elements_.pop_back();
}

std::string QtMarkerArray::Tag(int index) const { return At(index).tag; }

void QtMarkerArray::SetTag(int index, const std::string& tag) { At(index).tag = tag; }

QtMarker* QtMarkerArray::ShownOn(int index) const {
    const Item& e = At(index);
    if (!e.visible || !e.attached) return nullptr;
    return spots_.at(e.spot).widget;
}

std::vector<int> QtMarkerArray::ElementsOn(const QtMarker* widget) const {
    for (const auto& [key, spot] : spots_) {
        if (spot.widget == widget) return spot.members;
    }
    return {};
}

QtMarkerArray::SpotKey QtMarkerArray::KeyOf(const Item& e) const {
    // Edges rounded from their twips positions, as every placed widget.
    const double px = PixelsPerTwipX(parent_), py = PixelsPerTwipY(parent_);
    const auto pixels = [](Twips t, double perTwip) { return static_cast<int>(std::lround(t * perTwip)); };
    const int x0 = pixels(e.left, px), y0 = pixels(e.top, py);
    const int x1 = pixels(e.left + e.width, px), y1 = pixels(e.top + e.height, py);
    return {x0, y0, x1 - x0, y1 - y0};
}

QtMarker* QtMarkerArray::TakeWidget(const QRect& rect) {
    QtMarker* widget = nullptr;
    if (!idle_.empty()) {
        widget = idle_.back();
        idle_.pop_back();
    } else {
        widget = new QtMarker(parent_, [this](QtMarker& clicked) { Clicked(&clicked); });
        widget->hide();
        widgets_.emplace_back(widget);
    }
    widget->setGeometry(rect);
    return widget;
}

void QtMarkerArray::Attach(Item& e) {
    const SpotKey key = KeyOf(e);
    Spot& spot = spots_[key];
    if (!spot.widget) {
        const auto [x, y, w, h] = key;
        spot.widget = TakeWidget(QRect(x, y, w, h));
    }
    // Members stay in stacking order; a new one mostly goes to the front.
    auto position = spot.members.end();
    while (position != spot.members.begin() && At(*(position - 1)).stacking > e.stacking) --position;
    spot.members.insert(position, e.index);
    e.attached = true;
    e.spot = key;
    if (e.visible) Shown(spot, e);
}

void QtMarkerArray::Shown(Spot& spot, const Item& e) {
    if (++spot.shown == 1) spot.widget->show();
    // An element loaded after the widget was last raised lies in front of
    // it; one raised since has raised the widget already.
    if (e.stacking > spot.raisedAt) RaiseSpot(spot);
}

void QtMarkerArray::RaiseSpot(Spot& spot) {
    spot.raisedAt = stacking_;
    // Raising what already lies in front would only cost a repaint.
    if (parent_->children().constLast() != spot.widget) spot.widget->raise();
}

void QtMarkerArray::Detach(Item& e) {
    auto it = spots_.find(e.spot);
    e.attached = false;
    if (it == spots_.end()) return;
    Spot& spot = it->second;
    // Elements go highest first, and the highest lies in front: search from there.
    spot.members.erase(std::find(spot.members.rbegin(), spot.members.rend(), e.index).base() - 1);
    if (e.visible && --spot.shown == 0) spot.widget->hide();
    if (spot.members.empty()) {
        spot.widget->hide();
        idle_.push_back(spot.widget);
        spots_.erase(it);
    }
}

void QtMarkerArray::Moved(Item& e) {
    if (!e.attached) return;
    Detach(e);
    Attach(e);
}

void QtMarkerArray::ShownChanged(Item& e) {
    if (!e.attached) {
        if (e.visible) Attach(e);
        return;
    }
    Spot& spot = spots_.at(e.spot);
    if (e.visible) Shown(spot, e);
    else if (--spot.shown == 0) spot.widget->hide();
}

void QtMarkerArray::Raise(Item& e) {
    e.stacking = ++stacking_;
    if (e.attached) {
        Spot& spot = spots_.at(e.spot);
        spot.members.erase(std::find(spot.members.begin(), spot.members.end(), e.index));
        spot.members.push_back(e.index);
    } else {
        // A hidden element raised now lies in front once it is shown.
        Attach(e);
    }
    RaiseSpot(spots_.at(e.spot));
}

void QtMarkerArray::Clicked(const QtMarker* widget) {
    for (const auto& [key, spot] : spots_) {
        if (spot.widget != widget) continue;
        for (auto it = spot.members.rbegin(); it != spot.members.rend(); ++it) {
            if (At(*it).visible) {
                if (Click) Click(*it);
                return;
            }
        }
        return;
    }
}

} // namespace agendor::qt
